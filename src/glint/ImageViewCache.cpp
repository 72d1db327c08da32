// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/ImageViewCache.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmapCache>

#include <algorithm>

namespace zephyl::glint {
namespace {

/// As the screen's own decoder takes them (screen/Picture.h): 16 megapixels a picture.
constexpr qint64 kMostPicturePixels = 16 * 1024 * 1024;
/// What Qt may allocate for one picture, in MB: a picture of that size with room to spare.
constexpr int kReaderAllocationMb = 80;

}  // namespace

QImage ReadPictureWithin(const QString& path, const QSize& box) {
    QImageReader reader(path);
    // Frames are stored as ".png" whatever they really are.
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kReaderAllocationMb);
    // The header's size, checked before anything of that size is made.
    const QSize size = reader.size();
    if (size.isValid() && static_cast<qint64>(size.width()) * size.height() > kMostPicturePixels) {
        return {};
    }
    if (size.isValid() && !box.isEmpty() &&
        (size.width() > box.width() || size.height() > box.height())) {
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    return reader.read();
}

QPixmap ScaledPicture(const QString& path, const QSize& size) {
    if (path.isEmpty() || size.isEmpty()) {
        return {};
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        return {};
    }
    // The edit files keep their names while their content changes: time and size key them too.
    const QString key = QStringLiteral("zephyl-screen:%1:%2:%3:%4x%5")
                            .arg(path)
                            .arg(info.lastModified().toMSecsSinceEpoch())
                            .arg(info.size())
                            .arg(size.width())
                            .arg(size.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    const QImage image = ReadPictureWithin(path, size);
    if (image.isNull()) {
        return {};
    }
    pixmap = QPixmap::fromImage(image.scaled(
        size, Qt::KeepAspectRatio,
        image.width() > size.width() ? Qt::SmoothTransformation : Qt::FastTransformation));
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

int FrameAtTime(const std::vector<int>& delaysMs, std::int64_t elapsedMs) {
    if (delaysMs.empty()) {
        return 0;
    }
    std::int64_t total = 0;
    for (int delay : delaysMs) {
        total += std::max(delay, 1);
    }
    std::int64_t at = std::max<std::int64_t>(elapsedMs, 0) % total;
    for (std::size_t i = 0; i < delaysMs.size(); ++i) {
        at -= std::max(delaysMs[i], 1);
        if (at < 0) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(delaysMs.size()) - 1;
}

}  // namespace zephyl::glint
