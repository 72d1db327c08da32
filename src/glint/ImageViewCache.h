// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Pictures of the screen controls, scaled for drawing. Window thread only.

#include <QImage>
#include <QPixmap>
#include <QString>

#include <cstdint>
#include <vector>

namespace zephyl::glint {

/// The picture at `path`, whatever its name says, brought down into `box` (proportions kept)
/// when it is larger, without Qt ever holding more than that: a JPEG is decoded at the reduced
/// size. A picture declaring more pixels than the screen's pictures may have, or needing more
/// memory than a picture may take, gives a null image.
QImage ReadPictureWithin(const QString& path, const QSize& box);

/// The picture at `path` fitted into `size` (proportions kept); a null pixmap when it cannot be
/// read. A file rewritten under the same name is read again.
QPixmap ScaledPicture(const QString& path, const QSize& size);

/// The frame an animation with these delays shows `elapsedMs` after it started, looping; delays
/// below 1 ms count as 1 ms. 0 for an empty animation.
int FrameAtTime(const std::vector<int>& delaysMs, std::int64_t elapsedMs);

}  // namespace zephyl::glint
