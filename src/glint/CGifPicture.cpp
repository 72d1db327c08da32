// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CGifPicture.h"

#include "glint/Look.h"
#include "glint/Manager.h"

#include <QFileInfo>
#include <QMovie>
#include <QPainter>
#include <QTimer>

namespace zephyl::glint {
namespace {

constexpr int kSpinnerSegments = 12;
constexpr int kLargestSpinner = 200;

}  // namespace

CGifPicture::CGifPicture(MDialog* owner, int id, QWidget* parent) : MControl(owner, id, parent) {
    m_spinner = new QTimer(this);
    QObject::connect(m_spinner, &QTimer::timeout, this, [this] {
        m_spinnerStep = (m_spinnerStep + 1) % kSpinnerSegments;
        update();
    });
}

CGifPicture::~CGifPicture() {
    delete m_movie;
}

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

void CGifPicture::SyncExtra() {
    bool running = false;
    int frame = 0;
    {
        std::lock_guard lock(m_mutex);
        running = m_running;
        frame = m_frame;
    }
    const QString file = GetImage();
    if (file != m_movieFile) {
        delete m_movie;
        m_movie = nullptr;
        m_movieFile = file;
        const QString path = Manager::SkinFile(file);
        if (!file.isEmpty() && QFileInfo::exists(path)) {
            m_movie = new QMovie(path);
            m_movie->setCacheMode(QMovie::CacheAll);
            QObject::connect(m_movie, &QMovie::frameChanged, this, [this] { update(); });
            if (!m_movie->isValid()) {
                delete m_movie;
                m_movie = nullptr;
            }
        }
    }
    if (m_movie != nullptr) {
        m_spinner->stop();
        const bool moving = m_movie->state() == QMovie::Running;
        if (running && !moving) {
            m_movie->start();
            m_movie->jumpToFrame(frame);
        } else if (!running && moving) {
            m_movie->stop();
            m_movie->jumpToFrame(frame);
        } else if (!running) {
            m_movie->jumpToFrame(frame);
        }
    } else if (running && width() <= kLargestSpinner && height() <= kLargestSpinner) {
        if (!m_spinner->isActive()) {
            m_spinner->start(80);
        }
    } else {
        m_spinner->stop();
    }
}

void CGifPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_movie != nullptr) {
        const QPixmap frame = m_movie->currentPixmap();
        if (!frame.isNull()) {
            QRect place(QPoint(0, 0), frame.size().scaled(size(), Qt::KeepAspectRatio));
            place.moveCenter(rect().center());
            painter.drawPixmap(place, frame);
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
