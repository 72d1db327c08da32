// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

class QMovie;
class QTimer;

namespace zephyl::glint {

/// An animated picture (GIF). Without its file it still shows a spinner while running, when it
/// is small enough to be a waiting sign.
class CGifPicture : public MControl {
public:
    static constexpr const char* kClassName = "CGifPicture";
    CGifPicture(MDialog* owner, int id, QWidget* parent);
    ~CGifPicture() override;
    const char* ClassName() const override { return kClassName; }

    /// `run` 1 starts the animation from `frame`, 0 stops it there.
    void SetRunState(int run, int frame = 0);
    int GetRunState() const;

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_running = false;
    int m_frame = 0;

    // Window thread only.
    QMovie* m_movie = nullptr;
    QString m_movieFile;
    QTimer* m_spinner = nullptr;
    int m_spinnerStep = 0;
};

}  // namespace zephyl::glint
