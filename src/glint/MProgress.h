// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControl.h"

namespace zephyl::glint {

/// A progress bar from 0 to its maximum (100 unless set). Its image holds two states: the
/// empty bar and the filled bar.
class MProgress : public MControl {
public:
    static constexpr const char* kClassName = "MProgress";
    MProgress(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {}
    const char* ClassName() const override { return kClassName; }

    /// Clamped to 0..maximum.
    void SetProgress(int position);
    int GetProgress() const;
    void SetMaxProgress(int maximum);
    int GetMaxProgress() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_position = 0;
    int m_maximum = 100;
};

}  // namespace zephyl::glint
