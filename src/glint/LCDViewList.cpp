// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/LCDViewList.h"

#include "glint/ImageViewCache.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kTitleHeight = 26;
constexpr int kPadding = 4;
constexpr int kBarWidth = 8;
constexpr int kSmallestThumb = 20;
const QColor kSelectedRow(0xEE, 0x6E, 0x01, 90);
const QColor kHoverLine(255, 255, 255, 30);
const QColor kBarTrack(255, 255, 255, 25);
const QColor kBarThumb(255, 255, 255, 110);

}  // namespace

LCDViewList::LCDViewList(MDialog* owner, int id, QWidget* parent)
    : MControlFont(owner, id, parent) {
    m_clock.start();
}

int LCDViewList::AddString(const QString& thumbnail, const QString& folder, int frameCount,
                           int ledId) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        LCDViewItem item;
        item.thumbnail = thumbnail;
        item.folder = folder;
        item.frameCount = frameCount;
        item.ledId = ledId;
        m_items.push_back(std::move(item));
        index = static_cast<int>(m_items.size()) - 1;
    }
    Changed();
    return index;
}

bool LCDViewList::SetItemFrames(int index, std::vector<QString> frameFiles,
                                std::vector<int> delaysMs) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        // A delay per frame, whatever the caller gave.
        delaysMs.resize(frameFiles.size(), 100);
        LCDViewItem& item = m_items[index];
        if (!frameFiles.empty()) {
            item.thumbnail = frameFiles.front();
        }
        item.frameFiles = std::move(frameFiles);
        item.delaysMs = std::move(delaysMs);
    }
    Changed();
    return true;
}

bool LCDViewList::SetFrameData(int index, const QString& thumbnail, int frameCount) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items[index].thumbnail = thumbnail;
        m_items[index].frameCount = frameCount;
    }
    Changed();
    return true;
}

bool LCDViewList::DeleteItem(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items.erase(m_items.begin() + index);
        if (m_items.empty()) {
            m_selected = -1;
        } else if (m_selected > index || m_selected >= int(m_items.size())) {
            m_selected =
                std::min(m_selected - (m_selected > index ? 1 : 0), int(m_items.size()) - 1);
        }
    }
    Changed();
    return true;
}

void LCDViewList::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_selected = -1;
    }
    Changed();
}

int LCDViewList::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size());
}

int LCDViewList::GetCurSel() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void LCDViewList::SetCurSel(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_items.size()) ? index : -1;
    }
    Changed();
}

int LCDViewList::GetItemLEDId(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].ledId : 0;
}

int LCDViewList::GetItemFrameSize(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].frameCount : 0;
}

int LCDViewList::SetItemLEDIdSelect(int ledId) {
    int found = -1;
    {
        std::lock_guard lock(m_mutex);
        for (int i = 0; i < int(m_items.size()); ++i) {
            if (m_items[i].ledId == ledId) {
                found = i;
                break;
            }
        }
        if (found >= 0) {
            m_selected = found;
        }
    }
    Changed();
    return found;
}

LCDViewItem LCDViewList::GetItem(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index] : LCDViewItem{};
}

void LCDViewList::SetItemHeight(int height) {
    {
        std::lock_guard lock(m_mutex);
        m_itemHeight = std::max(height, 16);
    }
    Changed();
}

int LCDViewList::ShownFrame(int index, std::int64_t elapsedMs) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= int(m_items.size())) {
        return 0;
    }
    return FrameAtTime(m_items[index].delaysMs, elapsedMs);
}

int LCDViewList::TitleHeight() const {
    return GetTitle().isEmpty() ? 0 : kTitleHeight;
}

int LCDViewList::ContentHeight() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_items.size()) * m_itemHeight;
}

int LCDViewList::ClampedScroll(int scroll) const {
    const int room = std::max(0, ContentHeight() - (height() - TitleHeight()));
    return std::clamp(scroll, 0, room);
}

void LCDViewList::ScrollTo(int index) {
    if (index < 0) {
        return;
    }
    int itemHeight = 1;
    {
        std::lock_guard lock(m_mutex);
        itemHeight = m_itemHeight;
    }
    const int visible = height() - TitleHeight();
    const int top = index * itemHeight;
    if (top < m_scroll) {
        m_scroll = top;
    } else if (top + itemHeight > m_scroll + visible) {
        m_scroll = top + itemHeight - visible;
    }
    m_scroll = ClampedScroll(m_scroll);
}

QRect LCDViewList::ScrollBarRect() const {
    const int top = TitleHeight();
    const int visible = height() - top;
    if (visible <= 0 || ContentHeight() <= visible) {
        return {};
    }
    return QRect(width() - kBarWidth, top, kBarWidth, visible);
}

void LCDViewList::ScrollToBar(int y) {
    const QRect bar = ScrollBarRect();
    if (bar.isEmpty()) {
        return;
    }
    const int content = ContentHeight();
    const int thumb = std::max(bar.height() * bar.height() / content, kSmallestThumb);
    const int travel = std::max(bar.height() - thumb, 1);
    const int room = content - bar.height();
    m_scroll = ClampedScroll((y - m_barGrab - bar.top()) * room / travel);
    update();
}

void LCDViewList::SyncExtra() {
    int selected = -1;
    {
        std::lock_guard lock(m_mutex);
        selected = m_selected;
    }
    if (selected != m_shownSelection) {
        m_shownSelection = selected;
        ScrollTo(selected);
    }
    m_scroll = ClampedScroll(m_scroll);
}

void LCDViewList::resizeEvent(QResizeEvent* event) {
    MControlFont::resizeEvent(event);
    ScrollTo(GetCurSel());
}

int LCDViewList::IndexAt(const QPoint& point) const {
    const int top = TitleHeight();
    if (point.y() < top) {
        return -1;
    }
    if (ScrollBarRect().contains(point)) {
        return -1;
    }
    std::lock_guard lock(m_mutex);
    const int index = (point.y() - top + m_scroll) / m_itemHeight;
    return index >= 0 && index < int(m_items.size()) ? index : -1;
}

void LCDViewList::OnMTimer() {
    bool animated = false;
    {
        std::lock_guard lock(m_mutex);
        animated = std::any_of(m_items.begin(), m_items.end(),
                               [](const LCDViewItem& item) { return item.frameFiles.size() > 1; });
    }
    if (animated && isVisible()) {
        update();
    }
}

void LCDViewList::paintEvent(QPaintEvent*) {
    std::vector<LCDViewItem> items;
    int selected = -1;
    int itemHeight = 1;
    {
        std::lock_guard lock(m_mutex);
        items = m_items;
        selected = m_selected;
        itemHeight = m_itemHeight;
    }
    const Caption caption = GetCaption();
    QPainter painter(this);
    painter.setFont(CaptionFont(caption));
    const int top = TitleHeight();
    if (top > 0) {
        painter.setPen(QColor::fromRgba(GetTextColor()));
        painter.drawText(QRect(0, 0, width(), top), Qt::AlignLeft | Qt::AlignVCenter,
                         caption.title);
    }
    painter.setClipRect(QRect(0, top, width(), height() - top));
    const std::int64_t elapsed = m_clock.elapsed();
    const QRect bar = ScrollBarRect();
    // The rows keep clear of the scroll bar.
    const int rowWidth = bar.isEmpty() ? width() : bar.left() - kPadding;
    for (int i = 0; i < int(items.size()); ++i) {
        const QRect row(0, top + i * itemHeight - m_scroll, rowWidth, itemHeight);
        if (row.bottom() < top || row.top() > height()) {
            continue;
        }
        if (i == selected) {
            painter.fillRect(row, kSelectedRow);
        }
        painter.fillRect(QRect(row.left(), row.bottom(), row.width(), 1), kHoverLine);
        const LCDViewItem& item = items[i];
        const int side = itemHeight - 2 * kPadding;
        const QRect picture(row.left() + kPadding, row.top() + kPadding, side, side);
        painter.fillRect(picture, Qt::black);
        QString file = item.thumbnail;
        if (!item.frameFiles.empty()) {
            file = item.frameFiles[FrameAtTime(item.delaysMs, elapsed)];
        }
        const QPixmap pixmap = ScaledPicture(file, picture.size());
        if (!pixmap.isNull()) {
            const QPoint at(picture.left() + (side - pixmap.width()) / 2,
                            picture.top() + (side - pixmap.height()) / 2);
            painter.drawPixmap(at, pixmap);
        }
        painter.setPen(QColor::fromRgba(GetTextColor()));
        painter.drawText(QRect(picture.right() + 2 * kPadding, row.top(),
                               row.width() - side - 3 * kPadding, row.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::number(item.frameCount));
    }
    if (!bar.isEmpty()) {
        const int content = int(items.size()) * itemHeight;
        const int thumb =
            std::max(bar.height() * bar.height() / std::max(content, 1), kSmallestThumb);
        const int room = std::max(content - bar.height(), 1);
        const int thumbTop = bar.top() + (bar.height() - thumb) * m_scroll / room;
        painter.setPen(Qt::NoPen);
        painter.setBrush(kBarTrack);
        painter.drawRoundedRect(bar.adjusted(1, 0, -1, 0), 3, 3);
        painter.setBrush(kBarThumb);
        painter.drawRoundedRect(QRect(bar.left() + 1, thumbTop, bar.width() - 2, thumb), 3, 3);
    }
}

void LCDViewList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const QRect bar = ScrollBarRect();
    if (bar.contains(point)) {
        const int content = ContentHeight();
        const int thumb = std::max(bar.height() * bar.height() / content, kSmallestThumb);
        const int thumbTop =
            bar.top() + (bar.height() - thumb) * m_scroll / std::max(content - bar.height(), 1);
        // Taken by the thumb it moves with the mouse; a press beside it centres it there.
        m_barGrab = point.y() >= thumbTop && point.y() < thumbTop + thumb ? point.y() - thumbTop
                                                                          : thumb / 2;
        m_draggingBar = true;
        ScrollToBar(point.y());
        return;
    }
    const int index = IndexAt(point);
    if (index < 0) {
        return;
    }
    SetCurSel(index);
    Notify(kEventClick, index);
}

void LCDViewList::mouseMoveEvent(QMouseEvent* event) {
    if (m_draggingBar) {
        ScrollToBar(event->position().toPoint().y());
        return;
    }
    MControlFont::mouseMoveEvent(event);
}

void LCDViewList::mouseReleaseEvent(QMouseEvent* event) {
    m_draggingBar = false;
    MControlFont::mouseReleaseEvent(event);
}

void LCDViewList::wheelEvent(QWheelEvent* event) {
    m_scroll = ClampedScroll(m_scroll - event->angleDelta().y() / 2);
    update();
}

}  // namespace zephyl::glint
