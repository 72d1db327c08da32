// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/ImageView.h"

#include "glint/ImageViewCache.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace zephyl::glint {
namespace {

/// The screen shows transparency as black, so the canvas is black where nothing is.
QImage BlankCanvas(const QSize& size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::black);
    return image;
}

/// `picture` fitted whole into `size`, centred on black.
QImage FitToCanvas(const QImage& picture, const QSize& size) {
    QImage canvas = BlankCanvas(size);
    if (picture.isNull()) {
        return canvas;
    }
    const QImage scaled = picture.size() == size
                              ? picture
                              : picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&canvas);
    painter.drawImage((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2,
                      scaled);
    return canvas;
}

// An edit long enough to need more steps than this is no longer undone step by step.
constexpr std::size_t kMostUndoSteps = 64;

}  // namespace

ImageView::ImageView(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    setMouseTracking(false);
    m_image = BlankCanvas(m_canvasSize);
    m_shown = m_image;
    m_previewClock.start();
}

void ImageView::SetCanvasSize(const QSize& size) {
    {
        std::lock_guard lock(m_mutex);
        m_canvasSize = size.isEmpty() ? QSize(128, 128) : size;
        m_image = FitToCanvas(m_image, m_canvasSize);
        m_shown = m_image;
        m_undo.clear();
    }
    Changed();
}

QSize ImageView::GetCanvasSize() const {
    std::lock_guard lock(m_mutex);
    return m_canvasSize;
}

bool ImageView::SetImage(const QString& imageFile, const QString& editFile) {
    const QImage picture = ReadPictureWithin(imageFile, GetCanvasSize());
    {
        std::lock_guard lock(m_mutex);
        m_image = FitToCanvas(picture, m_canvasSize);
        m_shown = m_image;
        m_undo.clear();
        m_editFile = editFile;
    }
    Changed();
    return !picture.isNull();
}

bool ImageView::SaveImageData() {
    std::lock_guard lock(m_mutex);
    if (m_editFile.isEmpty() || m_image == m_shown) {
        return false;
    }
    if (!m_image.save(m_editFile, "PNG")) {
        return false;
    }
    m_shown = m_image;
    m_undo.clear();
    return true;
}

bool ImageView::SaveCurrentImage(const QString& path) const {
    std::lock_guard lock(m_mutex);
    return m_image.save(path, "PNG");
}

QString ImageView::GetEditImageFile() const {
    std::lock_guard lock(m_mutex);
    return m_editFile;
}

bool ImageView::IsModified() const {
    std::lock_guard lock(m_mutex);
    return m_image != m_shown;
}

void ImageView::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_image = BlankCanvas(m_canvasSize);
        m_shown = m_image;
        m_undo.clear();
        m_editFile.clear();
        m_preview = false;
        m_previewFiles.clear();
        m_previewDelays.clear();
    }
    Changed();
}

void ImageView::SetDrawMode(int mode) {
    std::lock_guard lock(m_mutex);
    m_drawMode = mode;
}

int ImageView::GetDrawMode() const {
    std::lock_guard lock(m_mutex);
    return m_drawMode;
}

void ImageView::SetPenSize(int size) {
    std::lock_guard lock(m_mutex);
    m_penSize = std::max(size, 1);
}

int ImageView::GetPenSize() const {
    std::lock_guard lock(m_mutex);
    return m_penSize;
}

void ImageView::SetScale100(int percent) {
    {
        std::lock_guard lock(m_mutex);
        m_scale = std::clamp(percent, 100, 800);
    }
    Changed();
}

int ImageView::GetScale100() const {
    std::lock_guard lock(m_mutex);
    return m_scale;
}

void ImageView::SetFontSize(int size) {
    std::lock_guard lock(m_mutex);
    m_fontSize = std::max(size, 1);
}

int ImageView::GetFontSize() const {
    std::lock_guard lock(m_mutex);
    return m_fontSize;
}

void ImageView::SetColorValue(std::uint32_t rgb) {
    std::lock_guard lock(m_mutex);
    m_colour = rgb & 0xFFFFFF;
}

std::uint32_t ImageView::GetColorValue() const {
    std::lock_guard lock(m_mutex);
    return m_colour;
}

void ImageView::SetGrid(bool shown) {
    {
        std::lock_guard lock(m_mutex);
        m_grid = shown;
    }
    Changed();
}

void ImageView::PushUndoLocked() {
    m_undo.push_back(m_image);
    if (m_undo.size() > kMostUndoSteps) {
        m_undo.erase(m_undo.begin());
    }
}

void ImageView::PaintSegmentLocked(const QPoint& from, const QPoint& to) {
    QPainter painter(&m_image);
    const QColor colour =
        m_drawMode == kDrawEraser ? QColor(Qt::black) : QColor::fromRgb(QRgb(m_colour));
    if (m_penSize == 1) {
        painter.setPen(QPen(colour, 1));
        if (from == to) {
            painter.drawPoint(from);
        } else {
            painter.drawLine(from, to);
        }
        return;
    }
    // Square pens: every pixel under the pen's square along the segment, no smoothing, as the
    // screen has no half-lit pixels.
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    const int half = m_penSize / 2;
    for (int i = 0; i <= steps; ++i) {
        const double t = steps == 0 ? 0.0 : double(i) / steps;
        const int x = int(std::lround(from.x() + (to.x() - from.x()) * t));
        const int y = int(std::lround(from.y() + (to.y() - from.y()) * t));
        painter.fillRect(QRect(x - half, y - half, m_penSize, m_penSize), colour);
    }
}

void ImageView::Stroke(const std::vector<QPoint>& points) {
    {
        std::lock_guard lock(m_mutex);
        if (points.empty() || m_drawMode == kDrawNone) {
            return;
        }
        PushUndoLocked();
        for (std::size_t i = 0; i < points.size(); ++i) {
            PaintSegmentLocked(points[i == 0 ? 0 : i - 1], points[i]);
        }
    }
    Changed();
}

void ImageView::AddText(const QString& text) {
    if (text.isEmpty()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        PushUndoLocked();
        QPainter painter(&m_image);
        QFont font = painter.font();
        font.setPixelSize(m_fontSize);
        painter.setFont(font);
        painter.setPen(QColor::fromRgb(QRgb(m_colour)));
        painter.drawText(QRect(QPoint(0, 0), m_canvasSize), Qt::AlignCenter | Qt::TextWordWrap,
                         text);
    }
    Changed();
}

bool ImageView::RecoverCurEdit() {
    {
        std::lock_guard lock(m_mutex);
        if (m_undo.empty()) {
            return false;
        }
        m_image = m_undo.back();
        m_undo.pop_back();
    }
    Changed();
    return true;
}

void ImageView::ClearCurEdit() {
    {
        std::lock_guard lock(m_mutex);
        m_image = m_shown;
        m_undo.clear();
    }
    Changed();
}

int ImageView::UndoDepth() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_undo.size());
}

void ImageView::SetImagePreviewMode(bool preview, std::vector<QString> frameFiles,
                                    std::vector<int> delaysMs) {
    {
        std::lock_guard lock(m_mutex);
        m_preview = preview;
        delaysMs.resize(frameFiles.size(), 100);
        m_previewFiles = preview ? std::move(frameFiles) : std::vector<QString>{};
        m_previewDelays = preview ? std::move(delaysMs) : std::vector<int>{};
    }
    Changed();
}

bool ImageView::IsPreviewMode() const {
    std::lock_guard lock(m_mutex);
    return m_preview;
}

QImage ImageView::GetImage() const {
    std::lock_guard lock(m_mutex);
    return m_image;
}

QRectF ImageView::CanvasRect() const {
    QSize canvas;
    int scale = 100;
    {
        std::lock_guard lock(m_mutex);
        canvas = m_canvasSize;
        scale = m_scale;
    }
    const double fit =
        std::min(double(width()) / canvas.width(), double(height()) / canvas.height());
    const double factor = fit * scale / 100.0;
    const QSizeF shown(canvas.width() * factor, canvas.height() * factor);
    return QRectF(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), shown);
}

QPoint ImageView::ToPicture(const QPointF& point) const {
    const QRectF canvas = CanvasRect();
    const QSize size = GetCanvasSize();
    const double x = (point.x() - canvas.left()) * size.width() / canvas.width();
    const double y = (point.y() - canvas.top()) * size.height() / canvas.height();
    return QPoint(int(std::floor(x)), int(std::floor(y)));
}

void ImageView::OnMTimer() {
    if (IsPreviewMode() && isVisible()) {
        update();
    }
}

void ImageView::paintEvent(QPaintEvent*) {
    QImage image;
    bool grid = false;
    bool preview = false;
    std::vector<QString> files;
    std::vector<int> delays;
    {
        std::lock_guard lock(m_mutex);
        image = m_image;
        grid = m_grid;
        preview = m_preview;
        files = m_previewFiles;
        delays = m_previewDelays;
    }
    const QRectF canvas = CanvasRect();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (preview) {
        if (!files.empty()) {
            const QString file = files[FrameAtTime(delays, m_previewClock.elapsed())];
            const QPixmap pixmap = ScaledPicture(file, canvas.size().toSize());
            painter.drawPixmap(QPointF(canvas.left() + (canvas.width() - pixmap.width()) / 2,
                                       canvas.top() + (canvas.height() - pixmap.height()) / 2),
                               pixmap);
        }
        return;
    }
    painter.drawImage(canvas, image);
    const double cell = canvas.width() / std::max(image.width(), 1);
    if (grid && cell >= 3) {
        painter.setPen(QColor(255, 255, 255, 40));
        for (int x = 0; x <= image.width(); ++x) {
            const double at = canvas.left() + x * cell;
            painter.drawLine(QPointF(at, canvas.top()), QPointF(at, canvas.bottom()));
        }
        for (int y = 0; y <= image.height(); ++y) {
            const double at = canvas.top() + y * cell;
            painter.drawLine(QPointF(canvas.left(), at), QPointF(canvas.right(), at));
        }
    }
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled()) {
        return;
    }
    if (event->button() == Qt::RightButton) {
        Notify(kEventRightButton);
        return;
    }
    if (event->button() != Qt::LeftButton || IsPreviewMode()) {
        return;
    }
    const QPoint at = ToPicture(event->position());
    {
        std::lock_guard lock(m_mutex);
        if (m_drawMode == kDrawNone) {
            return;
        }
        PushUndoLocked();
        PaintSegmentLocked(at, at);
    }
    m_stroking = true;
    m_strokePoints = {at};
    Changed();
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_stroking) {
        return;
    }
    const QPoint at = ToPicture(event->position());
    {
        std::lock_guard lock(m_mutex);
        PaintSegmentLocked(m_strokePoints.back(), at);
    }
    m_strokePoints.push_back(at);
    Changed();
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_stroking || event->button() != Qt::LeftButton) {
        return;
    }
    m_stroking = false;
    m_strokePoints.clear();
    Notify(kEventImageEditor);
}

}  // namespace zephyl::glint
