// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

#include <string>
#include <vector>

namespace zephyl::glint {

/// A caption shrinks to this share of its font size before any of it is cut: translations run
/// longer than the English the pages were drawn for, and a smaller whole word reads better than
/// a cut one.
inline constexpr double kSmallestFitScale = 0.75;

struct FittedText {
    QFont font;
    QString text;  ///< the text to draw: whole, or cut with an ellipsis when nothing fitted
    bool cut = false;
};

/// Fits `text` into `rect` as drawText would lay it out with `flags` (Qt::TextWordWrap wraps
/// at word boundaries): the font shrinks step by step, and only a text that does not fit at the
/// smallest size is cut. A cut is recorded (see CutTexts) under `where`.
FittedText FitText(const QFont& font, const QString& text, const QRect& rect, int flags,
                   const QString& where);

/// Whether `text` with `font` fits `rect` under `flags`.
bool TextFits(const QFont& font, const QString& text, const QRect& rect, int flags);

/// Cut texts are noted only while recording is on, so a window under test can tell which of
/// its captions did not fit. Safe to call from any painting thread.
void SetCutTextRecording(bool recording);
/// "where: text" of every text cut since the last call, and forgets them.
std::vector<std::string> TakeCutTexts();
void RecordCutText(const QString& where, const QString& text);

}  // namespace zephyl::glint
