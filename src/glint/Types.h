// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

#include <cstdint>
#include <string>

namespace zephyl::glint {

/// Event codes a control reports to its window's OnMessage(id, code, value).
enum EventCode : int {
    kEventClick = 2,            ///< click on a button or picture; choice of an item or tab
    kEventRightButton = 5,      ///< right button (context menu wanted)
    kEventActivate = 9,         ///< an item was activated (double click)
    kEventIgnored = 11,         ///< reported by some lists, acted on by nobody
    kEventKeyDoubleClick = 12,  ///< keyboard picture: a key was double-clicked
    kEventKeyCleared = 13,      ///< keyboard picture: a click outside every key cleared the key
    kEventTextChanged = 26,     ///< the user changed the text of a field
    kEventWheelReleased = 27,   ///< the colour wheel was released
    kEventEditFinished = 29,    ///< a field lost the focus or an in-place edit ended
    kEventEditStarted = 30,     ///< a field got the focus
    kEventImageEditor = 32,     ///< the picture editor changed its picture
};

/// Window styles understood by MWindow::Create; the values are the ones the windows pass.
inline constexpr unsigned kStylePopup = 0x80000000u;
inline constexpr unsigned kStyleVisible = 0x10000000u;
inline constexpr unsigned kStyleClipSiblings = 0x04000000u;
inline constexpr unsigned kStyleClipChildren = 0x02000000u;
inline constexpr unsigned kStyleDialog = 0x96000000u;
inline constexpr unsigned kExStyleTopmost = 0x00000008u;
inline constexpr unsigned kExStyleToolWindow = 0x00000080u;

/// Show commands of MWindow::ShowWindow.
inline constexpr int kShowHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowNoActivate = 4;
inline constexpr int kShow = 5;
inline constexpr int kShowMinimize = 6;
inline constexpr int kShowRestore = 9;

/// Z-order and flags of MWindow::SetWindowPos.
inline constexpr int kOrderTop = 0;
inline constexpr int kOrderBottom = 1;
inline constexpr int kOrderTopMost = -1;
inline constexpr int kOrderNoTopMost = -2;
inline constexpr unsigned kPosNoSize = 0x0001;
inline constexpr unsigned kPosNoMove = 0x0002;
inline constexpr unsigned kPosNoZOrder = 0x0004;
inline constexpr unsigned kPosNoActivate = 0x0010;
inline constexpr unsigned kPosShowWindow = 0x0040;
inline constexpr unsigned kPosHideWindow = 0x0080;

/// Results of MWindow::ShowModal.
inline constexpr int kResultNone = 0;
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;

/// Text alignments of MControlFont.
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignCenter = 1;
inline constexpr int kAlignRight = 2;
inline constexpr int kAlignTop = 0;
inline constexpr int kAlignBottom = 2;

/// Font style bits of MControlFont::SetFont.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;
inline constexpr int kFontStrikeOut = 8;

/// A rectangle from its edges; right and bottom lie just outside it, as in window rectangles.
inline QRect RectLTRB(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

/// The control library speaks QString; the core speaks UTF-8.
inline QString Qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// A key or swatch colour, 0x00BBGGRR (red in the low byte).
inline QColor FromBgr(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

inline std::uint32_t ToBgr(const QColor& colour) {
    return std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8) |
           (std::uint32_t(colour.blue()) << 16);
}

/// A text colour, 0xAARRGGBB. The windows always give an opaque alpha; an alpha of 0 is read
/// as opaque too, so a colour written as 0xRRGGBB never makes a text vanish.
inline QColor FromArgb(std::uint32_t argb) {
    const int alpha = int(argb >> 24);
    return QColor(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF),
                  alpha == 0 ? 255 : alpha);
}

/// A fill colour, 0xRRGGBB.
inline QColor FromRgb(std::uint32_t rgb) {
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

}  // namespace zephyl::glint
