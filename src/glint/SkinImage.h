// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QMargins>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace zephyl::glint {

/// Skin images and image strips. A strip holds its states side by side, each state as wide as
/// the strip's width divided by the state count. Window thread only.
class SkinImage {
public:
    /// The image of a skin file name (see Manager::SkinFile); a null pixmap when it is missing.
    static QPixmap Load(const QString& name);
    static void ClearCache();
    /// A page switch starts a round, and once the new page has painted, frees the images not
    /// loaded during the round: pages not shown keep no pictures. One that is still shown but
    /// was not painted again is read again when it next paints. ReleaseUnused returns how
    /// many it freed.
    static void NewRound();
    static int ReleaseUnused();
    /// Decoded images kept now.
    static int CachedCount();

    /// The source rectangle of `state` in a strip of `states`. A strip whose states would be
    /// less than half as wide as they are high is read as a single picture, so an image named
    /// with the wrong state count still shows whole.
    static QRect StateRect(const QPixmap& strip, int states, int state);

    /// Draws one state stretched into `target`.
    static void DrawState(QPainter& painter, const QRect& target, const QPixmap& strip, int states,
                          int state);

    /// Draws one state with its borders kept and its middle stretched.
    static void DrawStateNineSlice(QPainter& painter, const QRect& target, const QPixmap& strip,
                                   int states, int state, const QMargins& borders);

    /// Draws one state centred at its own size, scaled down (never up) to fit.
    static void DrawStateCentred(QPainter& painter, const QRect& target, const QPixmap& strip,
                                 int states, int state);

    static void DrawNineSlice(QPainter& painter, const QRect& target, const QPixmap& source,
                              const QRect& sourceRect, QMargins borders);
};

}  // namespace zephyl::glint
