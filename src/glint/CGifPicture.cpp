// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CGifPicture.h"

#include "glint/Look.h"
#include "glint/Manager.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kSpinnerSegments = 12;
constexpr int kLargestSpinner = 200;
constexpr int kTile = 16;
/// A frame painted over more than this share of its tiles is kept whole.
constexpr double kDenseShare = 0.5;
/// GIFs that give no delay (or 0) play at this pace, as browsers do.
constexpr int kDefaultDelayMs = 100;
constexpr int kShortestDelayMs = 20;

bool TileIsClear(const QImage& image, const QRect& tile) {
    for (int y = tile.top(); y <= tile.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = tile.left(); x <= tile.right(); ++x) {
            if (qAlpha(line[x]) != 0) {
                return false;
            }
        }
    }
    return true;
}

/// The smallest rectangle of `area` that holds every painted pixel of it.
QRect TightBounds(const QImage& image, const QRect& area) {
    int left = area.right() + 1;
    int right = area.left() - 1;
    int top = area.bottom() + 1;
    int bottom = area.top() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qAlpha(line[x]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return left <= right ? QRect(QPoint(left, top), QPoint(right, bottom)) : QRect();
}

/// A painted part of a frame: a run of tiles along a row of tiles, and the rectangle of it that
/// holds painted pixels (a spark is a few pixels in a tile).
struct PaintedPart {
    QRect run;
    QRect painted;
};

/// The painted parts of `image`, or the whole image when most of it is painted.
std::vector<PaintedPart> PaintedParts(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return {{image.rect(), image.rect()}};
    }
    std::vector<QRect> parts;
    size_t tiles = 0;
    for (int y = 0; y < image.height(); y += kTile) {
        QRect run;
        for (int x = 0; x < image.width(); x += kTile) {
            ++tiles;
            const QRect tile = QRect(x, y, kTile, kTile).intersected(image.rect());
            if (TileIsClear(image, tile)) {
                if (!run.isNull()) {
                    parts.push_back(run);
                    run = {};
                }
            } else {
                run = run.isNull() ? tile : run.united(tile);
            }
        }
        if (!run.isNull()) {
            parts.push_back(run);
        }
    }
    if (double(parts.size()) > double(tiles) * kDenseShare) {
        return {{image.rect(), image.rect()}};
    }
    std::vector<PaintedPart> painted;
    painted.reserve(parts.size());
    for (const QRect& part : parts) {
        painted.push_back({part, TightBounds(image, part)});
    }
    return painted;
}

}  // namespace

CGifPicture::CGifPicture(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    m_frameTimer = new QTimer(this);
    m_frameTimer->setSingleShot(true);
    QObject::connect(m_frameTimer, &QTimer::timeout, this, [this] { Advance(); });
    m_spinner = new QTimer(this);
    QObject::connect(m_spinner, &QTimer::timeout, this, [this] {
        m_spinnerStep = (m_spinnerStep + 1) % kSpinnerSegments;
        update();
    });
}

CGifPicture::~CGifPicture() = default;

void CGifPicture::SetRunState(int run, int frame) {
    {
        std::lock_guard lock(m_mutex);
        m_running = run != 0;
        m_frame = frame;
    }
    Changed();
}

int CGifPicture::GetRunState() const {
    std::lock_guard lock(m_mutex);
    return m_running ? 1 : 0;
}

int CGifPicture::DecodedFrameCount() const {
    return int(m_frames.size());
}

bool CGifPicture::Animating() const {
    return m_frameTimer->isActive() || m_spinner->isActive();
}

void CGifPicture::SyncExtra() {
    Apply();
}

void CGifPicture::showEvent(QShowEvent* event) {
    MControl::showEvent(event);
    m_shown = true;
    Apply();
}

void CGifPicture::hideEvent(QHideEvent* event) {
    MControl::hideEvent(event);
    // Also the spontaneous hide of a minimised window, which leaves isVisible() true.
    m_shown = false;
    Apply();
}

void CGifPicture::FreeFrames() {
    m_frameTimer->stop();
    m_frames.clear();
    m_frames.shrink_to_fit();
    m_reader.reset();
    m_readerAtEnd = false;
    m_current = -1;
}

void CGifPicture::Apply() {
    bool running = false;
    int frame = 0;
    {
        std::lock_guard lock(m_mutex);
        running = m_running;
        frame = m_frame;
    }
    const QString file = GetImage();
    if (file != m_file) {
        FreeFrames();
        m_file = file;
        m_frameSize = {};
    }
    const QString path = file.isEmpty() ? QString() : Manager::SkinFile(file);
    const bool hasFile = !path.isEmpty() && QFileInfo::exists(path);
    if (!m_shown || !isVisible()) {
        // Nothing is drawn: nothing is kept and nothing ticks.
        FreeFrames();
        m_spinner->stop();
        return;
    }
    if (hasFile) {
        m_spinner->stop();
        if (running && m_frameTimer->isActive()) {
            return;  // already playing
        }
        ShowFrame(frame);
        if (running && m_current >= 0) {
            m_frameTimer->start(std::max(m_frames[size_t(m_current)].delay, kShortestDelayMs));
        } else {
            m_frameTimer->stop();
        }
    } else if (running && width() <= kLargestSpinner && height() <= kLargestSpinner) {
        if (!m_spinner->isActive()) {
            m_spinner->start(80);
        }
    } else {
        m_spinner->stop();
    }
}

const CGifPicture::Frame* CGifPicture::FrameAt(int index) {
    if (index < 0) {
        return nullptr;
    }
    while (int(m_frames.size()) <= index && !m_readerAtEnd) {
        if (!m_reader) {
            m_reader = std::make_unique<QImageReader>(Manager::SkinFile(m_file));
            m_reader->setDecideFormatFromContent(true);
        }
        QImage image = m_reader->read();
        if (image.isNull()) {
            m_readerAtEnd = true;
            m_reader.reset();
            break;
        }
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_frameSize = image.size();
        Frame decoded;
        decoded.delay =
            m_reader->nextImageDelay() > 0 ? m_reader->nextImageDelay() : kDefaultDelayMs;
        // Only the painted pixels are kept, but a frame change repaints whole runs of tiles:
        // a region of runs on a grid of tile rows stays a few rectangles per spark, while one
        // of the sparks' own bounds splits into a band for every edge of every spark, and
        // each rectangle of a repaint costs a draw of the background and of the sparks.
        for (const PaintedPart& part : PaintedParts(image)) {
            decoded.pieces.push_back({part.painted, image.copy(part.painted)});
            decoded.area += part.run;
        }
        m_frames.push_back(std::move(decoded));
    }
    return index < int(m_frames.size()) ? &m_frames[size_t(index)] : nullptr;
}

void CGifPicture::ShowFrame(int index) {
    const Frame* next = FrameAt(index);
    if (next == nullptr) {
        next = FrameAt(0);
        index = 0;
    }
    if (index == m_current) {
        return;
    }
    QRegion dirty = next != nullptr ? FrameRegion(*next) : QRegion();
    if (m_current >= 0 && m_current < int(m_frames.size())) {
        dirty += FrameRegion(m_frames[size_t(m_current)]);
    }
    m_current = next != nullptr ? index : -1;
    update(dirty);
}

void CGifPicture::Advance() {
    if (m_current < 0) {
        return;
    }
    ShowFrame(m_current + 1);
    if (m_current >= 0) {
        m_frameTimer->start(std::max(m_frames[size_t(m_current)].delay, kShortestDelayMs));
    }
}

QRect CGifPicture::ToWidget(const QRect& rect) const {
    if (m_frameSize.isEmpty()) {
        return {};
    }
    QRect place(QPoint(0, 0), m_frameSize.scaled(size(), Qt::KeepAspectRatio));
    place.moveCenter(this->rect().center());
    if (place.size() == m_frameSize) {
        return rect.translated(place.topLeft());
    }
    const double sx = double(place.width()) / m_frameSize.width();
    const double sy = double(place.height()) / m_frameSize.height();
    return QRectF(place.left() + rect.left() * sx, place.top() + rect.top() * sy, rect.width() * sx,
                  rect.height() * sy)
        .toAlignedRect();
}

QRegion CGifPicture::FrameRegion(const Frame& frame) const {
    const QRect origin = ToWidget(QRect(QPoint(0, 0), m_frameSize));
    if (origin.size() == m_frameSize) {
        return frame.area.translated(origin.topLeft());
    }
    QRegion region;
    for (const QRect& run : frame.area) {
        region += ToWidget(run);
    }
    return region;
}

void CGifPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (m_current >= 0 && m_current < int(m_frames.size())) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Each rectangle of the region is its own clip: under a clip of the whole ragged
        // region the raster engine would build a span list of it on every frame.
        const std::vector<Piece>& pieces = m_frames[size_t(m_current)].pieces;
        std::vector<QRect> targets;
        targets.reserve(pieces.size());
        for (const Piece& piece : pieces) {
            targets.push_back(ToWidget(piece.rect));
        }
        for (const QRect& part : event->region()) {
            painter.setClipRect(part);
            for (size_t i = 0; i < pieces.size(); ++i) {
                if (part.intersects(targets[i])) {
                    painter.drawImage(targets[i], pieces[i].image);
                }
            }
        }
        return;
    }
    if (!m_spinner->isActive()) {
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const QPointF centre = QRectF(rect()).center();
    const qreal outer = side * 0.36;
    const qreal inner = side * 0.2;
    for (int i = 0; i < kSpinnerSegments; ++i) {
        const int age = (m_spinnerStep - i + kSpinnerSegments) % kSpinnerSegments;
        QColor colour = look::kAccent;
        colour.setAlphaF(1.0 - qreal(age) / kSpinnerSegments * 0.85);
        painter.save();
        painter.translate(centre);
        painter.rotate(360.0 * i / kSpinnerSegments);
        painter.setPen(QPen(colour, std::max<qreal>(2, side / 18), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(inner, 0), QPointF(outer, 0));
        painter.restore();
    }
}

}  // namespace zephyl::glint
