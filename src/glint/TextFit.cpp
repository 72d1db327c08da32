// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/TextFit.h"

#include <QFontMetrics>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <utility>

namespace zephyl::glint {
namespace {

std::atomic<bool> g_recording{false};
std::mutex g_cutMutex;
std::vector<std::string> g_cutTexts;

// Sizes are in pixels where the font has one, else in points; both shrink the same way.
double FontSize(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
}

QFont WithSize(QFont font, double size) {
    if (font.pixelSize() > 0) {
        font.setPixelSize(std::max(1, int(std::lround(size))));
    } else {
        font.setPointSizeF(std::max(1.0, size));
    }
    return font;
}

}  // namespace

bool TextFits(const QFont& font, const QString& text, const QRect& rect, int flags) {
    const QFontMetrics metrics(font);
    if ((flags & Qt::TextWordWrap) == 0) {
        return metrics.horizontalAdvance(text) <= rect.width();
    }
    // A word longer than the line widens the bounding box past the rectangle.
    const QRect needed = metrics.boundingRect(rect, flags, text);
    return needed.width() <= rect.width() && needed.height() <= rect.height();
}

FittedText FitText(const QFont& font, const QString& text, const QRect& rect, int flags,
                   const QString& where) {
    FittedText fitted{font, text, false};
    if (text.isEmpty() || TextFits(font, text, rect, flags)) {
        return fitted;
    }
    const double size = FontSize(font);
    const double smallest = size * kSmallestFitScale;
    for (double trial = size - 1; trial >= smallest; trial -= 1) {
        const QFont smaller = WithSize(font, trial);
        if (TextFits(smaller, text, rect, flags)) {
            fitted.font = smaller;
            return fitted;
        }
    }
    fitted.font = WithSize(font, smallest);
    fitted.cut = true;
    if ((flags & Qt::TextWordWrap) == 0) {
        fitted.text = QFontMetrics(fitted.font).elidedText(text, Qt::ElideRight, rect.width());
    }
    RecordCutText(where, text);
    return fitted;
}

void SetCutTextRecording(bool recording) {
    g_recording = recording;
}

void RecordCutText(const QString& where, const QString& text) {
    if (!g_recording) {
        return;
    }
    std::lock_guard lock(g_cutMutex);
    g_cutTexts.push_back((where + QStringLiteral(": ") + text).toStdString());
}

std::vector<std::string> TakeCutTexts() {
    std::lock_guard lock(g_cutMutex);
    return std::exchange(g_cutTexts, {});
}

}  // namespace zephyl::glint
