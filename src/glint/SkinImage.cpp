// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/SkinImage.h"

#include "glint/Manager.h"

#include <QHash>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

struct CachedImage {
    QPixmap pixmap;
    quint64 round = 0;  ///< the last round it was loaded in
};

QHash<QString, CachedImage>& Cache() {
    static QHash<QString, CachedImage> cache;
    return cache;
}

quint64 g_round = 0;

}  // namespace

QPixmap SkinImage::Load(const QString& name) {
    if (name.isEmpty()) {
        return {};
    }
    const QString path = Manager::SkinFile(name);
    auto& cache = Cache();
    auto found = cache.find(path);
    if (found == cache.end()) {
        // Read through QImage: QPixmap's own loading would keep a second copy in Qt's pixmap
        // cache, out of reach of ReleaseUnused.
        found = cache.insert(path, {QPixmap::fromImage(QImage(path)), g_round});
    }
    found->round = g_round;
    return found->pixmap;
}

void SkinImage::ClearCache() {
    Cache().clear();
}

void SkinImage::NewRound() {
    ++g_round;
}

int SkinImage::ReleaseUnused() {
    int released = 0;
    auto& cache = Cache();
    for (auto entry = cache.begin(); entry != cache.end();) {
        if (entry->round != g_round) {
            entry = cache.erase(entry);
            ++released;
        } else {
            ++entry;
        }
    }
    return released;
}

int SkinImage::CachedCount() {
    return int(Cache().size());
}

QRect SkinImage::StateRect(const QPixmap& strip, int states, int state) {
    if (strip.isNull()) {
        return {};
    }
    int count = std::max(states, 1);
    int width = strip.width() / count;
    if (count > 1 && width * 2 < strip.height()) {
        count = 1;
        width = strip.width();
    }
    const int index = std::clamp(state, 0, count - 1);
    return QRect(index * width, 0, width, strip.height());
}

void SkinImage::DrawState(QPainter& painter, const QRect& target, const QPixmap& strip, int states,
                          int state) {
    if (strip.isNull() || target.isEmpty()) {
        return;
    }
    painter.drawPixmap(target, strip, StateRect(strip, states, state));
}

void SkinImage::DrawStateNineSlice(QPainter& painter, const QRect& target, const QPixmap& strip,
                                   int states, int state, const QMargins& borders) {
    if (strip.isNull() || target.isEmpty()) {
        return;
    }
    DrawNineSlice(painter, target, strip, StateRect(strip, states, state), borders);
}

void SkinImage::DrawStateCentred(QPainter& painter, const QRect& target, const QPixmap& strip,
                                 int states, int state) {
    if (strip.isNull() || target.isEmpty()) {
        return;
    }
    const QRect source = StateRect(strip, states, state);
    QSize size = source.size();
    if (size.width() > target.width() || size.height() > target.height()) {
        size.scale(target.size(), Qt::KeepAspectRatio);
    }
    QRect place(QPoint(0, 0), size);
    place.moveCenter(target.center());
    painter.drawPixmap(place, strip, source);
}

void SkinImage::DrawNineSlice(QPainter& painter, const QRect& target, const QPixmap& source,
                              const QRect& sourceRect, QMargins borders) {
    // Borders larger than either rectangle would overlap; shrink them to fit both.
    const auto fit = [](int& a, int& b, int limit) {
        if (a + b > limit) {
            const int total = std::max(a + b, 1);
            a = a * limit / total;
            b = limit - a;
        }
    };
    int left = borders.left(), right = borders.right();
    int top = borders.top(), bottom = borders.bottom();
    fit(left, right, std::min(sourceRect.width(), target.width()));
    fit(top, bottom, std::min(sourceRect.height(), target.height()));

    const int sx[4] = {sourceRect.left(), sourceRect.left() + left,
                       sourceRect.left() + sourceRect.width() - right,
                       sourceRect.left() + sourceRect.width()};
    const int sy[4] = {sourceRect.top(), sourceRect.top() + top,
                       sourceRect.top() + sourceRect.height() - bottom,
                       sourceRect.top() + sourceRect.height()};
    const int tx[4] = {target.left(), target.left() + left, target.left() + target.width() - right,
                       target.left() + target.width()};
    const int ty[4] = {target.top(), target.top() + top, target.top() + target.height() - bottom,
                       target.top() + target.height()};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRect from(sx[column], sy[row], sx[column + 1] - sx[column],
                             sy[row + 1] - sy[row]);
            const QRect to(tx[column], ty[row], tx[column + 1] - tx[column], ty[row + 1] - ty[row]);
            if (!from.isEmpty() && !to.isEmpty()) {
                painter.drawPixmap(to, source, from);
            }
        }
    }
}

}  // namespace zephyl::glint
