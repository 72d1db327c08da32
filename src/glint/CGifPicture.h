// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

#include <QImage>
#include <QRegion>

#include <memory>
#include <vector>

class QImageReader;
class QTimer;

namespace zephyl::glint {

/// An animated picture (GIF). Without its file it still shows a spinner while running, when it
/// is small enough to be a waiting sign.
///
/// Frames are decoded one at a time as the animation first reaches them, and kept only as the
/// parts that hold something: an animation over a whole window is mostly see-through, and
/// drawing and repainting only its painted parts keeps it cheap. The frames and the timer go
/// while the control is not visible.
class CGifPicture : public MControl {
public:
    static constexpr const char* kClassName = "CGifPicture";
    CGifPicture(MDialog* owner, int id, QWidget* parent);
    ~CGifPicture() override;
    const char* ClassName() const override { return kClassName; }

    /// `run` 1 starts the animation from `frame`, 0 stops it there.
    void SetRunState(int run, int frame = 0);
    int GetRunState() const;

    /// Window thread: frames decoded and kept now, and whether the animation's timer runs.
    int DecodedFrameCount() const;
    bool Animating() const;

protected:
    void SyncExtra() override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    /// A painted part of a frame, in the frame's coordinates.
    struct Piece {
        QRect rect;
        QImage image;
    };
    struct Frame {
        std::vector<Piece> pieces;
        QRegion area;   ///< the runs of tiles that hold the pieces: what a frame change repaints
        int delay = 0;  ///< ms
    };

    /// Window thread: brings the control to the model's file, state and visibility.
    void Apply();
    void FreeFrames();
    /// The frame `index`, decoding the file up to it; null past the last frame.
    const Frame* FrameAt(int index);
    void ShowFrame(int index);
    void Advance();
    /// Where the frame's rectangle `rect` lands in the control.
    QRect ToWidget(const QRect& rect) const;
    QRegion FrameRegion(const Frame& frame) const;

    bool m_running = false;
    int m_frame = 0;

    // Window thread only.
    QString m_file;
    std::unique_ptr<QImageReader> m_reader;  ///< open while frames remain to decode
    bool m_readerAtEnd = false;
    QSize m_frameSize;
    std::vector<Frame> m_frames;
    int m_current = -1;
    QTimer* m_frameTimer = nullptr;
    bool m_shown = false;  ///< between a show and a hide event, spontaneous ones too
    QTimer* m_spinner = nullptr;
    int m_spinnerStep = 0;
};

}  // namespace zephyl::glint
