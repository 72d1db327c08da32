// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>

class QMenu;
class QPainter;

namespace zephyl::glint {

/// The dark theme shared by every control, and the drawing used when a skin image is missing.
namespace look {

inline const QColor kWindow(0x1B, 0x1B, 0x1D);
inline const QColor kPanel(0x28, 0x28, 0x28);
inline const QColor kSurface(0x34, 0x34, 0x38);
inline const QColor kSurfaceHover(0x40, 0x40, 0x45);
inline const QColor kSurfacePressed(0x2A, 0x2A, 0x2D);
inline const QColor kBorder(0x4A, 0x4A, 0x50);
inline const QColor kText(0xFF, 0xFF, 0xFF);
inline const QColor kTextDim(0xAD, 0xAD, 0xAD);
inline const QColor kTextDisabled(0x6E, 0x6E, 0x72);
inline const QColor kAccent(0xFF, 0x7A, 0x1A);
inline const QColor kAccentDim(0xB3, 0x52, 0x0C);
inline const QColor kKeyUnlit(0x24, 0x24, 0x27);

/// Button-like states, also the first four states of every image strip.
enum State : int { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

/// The font of every control unless the window chooses another; `pixelSize` 0 takes the
/// default size.
QFont DefaultFont(int pixelSize = 0);

/// Gives a menu the program's look: dark surface, accent selection, the default font. Menus
/// the desktop draws itself (a StatusNotifier tray's) keep the desktop's look.
void StyleMenu(QMenu& menu);

/// The program's dark colours as a palette, for the toolkit's own dialogs (file choosers the
/// desktop does not provide itself).
QPalette DarkPalette();

/// A rounded button face for `state`; `accent` fills it with the accent colour.
void DrawButtonFace(QPainter& painter, const QRectF& rect, int state, bool accent = false,
                    qreal radius = 4);

/// A field frame (edit, drop-down) for `state`; `focused` draws the accent border.
void DrawFieldFrame(QPainter& painter, const QRectF& rect, int state, bool focused);

/// A check box square or radio circle at `rect`.
void DrawCheckMark(QPainter& painter, const QRectF& rect, bool checked, bool round, int state);

/// A small downward arrow centred in `rect`.
void DrawDownArrow(QPainter& painter, const QRectF& rect, const QColor& colour);

/// A colour with its value scaled by `factor` (dimming keeps the hue).
QColor Dimmed(const QColor& colour, qreal factor);

}  // namespace look
}  // namespace zephyl::glint
