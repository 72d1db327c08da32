// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace zephyl::glint {
class MDialog;
}

namespace zephyl::window::test {

/// Every text `widget` and its children paint, in painting order: the widgets are rendered into
/// a device that keeps the texts and throws the pixels away, so what is read is exactly what a
/// user would see on the screen. A line is one item, or several where it mixes scripts.
QStringList PaintedTexts(QWidget* widget);

/// The texts a window's controls hold without painting them: tooltips, captions, the items of
/// lists, drop-downs and tabs, field hints and screen slot labels, each as "id kind: text".
QStringList HeldTexts(glint::MDialog& window);

}  // namespace zephyl::window::test
