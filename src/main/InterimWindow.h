// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QWidget>

namespace zephyl {

/// The window shown until the main window with its pages takes over: the caption, the version
/// and the keyboard models that config.xml declares.
class InterimWindow : public QWidget {
public:
    InterimWindow();

    /// What a second start asks for: restore, raise and activate.
    void ComeForward();
};

}  // namespace zephyl
