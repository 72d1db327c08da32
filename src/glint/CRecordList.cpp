// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/CRecordList.h"

#include "glint/DigitsValidator.h"
#include "glint/Look.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zephyl::glint {
namespace {

constexpr int kMarkSide = 14;
constexpr int kMarkLeft = 10;
constexpr int kTextIndent = 32;
constexpr int kScrollbarWidth = 4;
constexpr int kDelayDigits = 5;

// Mouse steps get their own mark colour so presses of keys and buttons tell apart at a glance.
const QColor kMouseMark(0x5A, 0xB4, 0xFF);
const QColor kAlternateRow(255, 255, 255, 10);

enum StepType : int { kRepeat = 0, kKeyDown = 2, kKeyUp = 3, kButtonDown = 4, kButtonUp = 5 };

int ClampDelay(int delay) {
    return std::clamp(delay, 0, CRecordList::kLongestDelay);
}

/// The three columns of a row: the event takes half the width, the value a quarter and the
/// pause the rest; the page lays its headings out with the same proportions.
struct Columns {
    QRect event;
    QRect value;
    QRect delay;
};

Columns SplitRow(const QRect& row) {
    const int eventWidth = row.width() / 2;
    const int valueWidth = row.width() / 4;
    Columns columns;
    columns.event = QRect(row.left(), row.top(), eventWidth, row.height());
    columns.value = QRect(columns.event.right() + 1, row.top(), valueWidth, row.height());
    columns.delay = QRect(columns.value.right() + 1, row.top(),
                          row.width() - eventWidth - valueWidth, row.height());
    return columns;
}

void DrawArrow(QPainter& painter, const QRectF& box, bool down, const QColor& colour) {
    const qreal x = box.center().x();
    const qreal tip = down ? box.bottom() - 1 : box.top() + 1;
    const qreal tail = down ? box.top() + 1 : box.bottom() - 1;
    const qreal head = down ? -5 : 5;
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(x, tail), QPointF(x, tip + head * 0.6));
    QPainterPath path;
    path.moveTo(x, tip);
    path.lineTo(x - 4.5, tip + head);
    path.lineTo(x + 4.5, tip + head);
    path.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(path);
}

void DrawRepeat(QPainter& painter, const QRectF& box, const QColor& colour) {
    const QPointF centre = box.center();
    const qreal radius = box.width() / 2 - 2;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    constexpr qreal kStart = 100;
    constexpr qreal kSpan = 260;
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(circle, int(kStart * 16), int(kSpan * 16));
    // An arrow head at the end of the arc, pointing the way the arc runs.
    const qreal end = (kStart + kSpan) * std::numbers::pi / 180;
    const QPointF point(centre.x() + radius * std::cos(end), centre.y() - radius * std::sin(end));
    const QPointF along(-std::sin(end), -std::cos(end));
    const QPointF across(along.y(), -along.x());
    QPainterPath path;
    path.moveTo(point + along * 4);
    path.lineTo(point - along * 1.5 + across * 4);
    path.lineTo(point - along * 1.5 - across * 4);
    path.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(path);
}

void DrawStepMark(QPainter& painter, const QRectF& box, int type, bool enabled) {
    const bool mouse = type == kButtonDown || type == kButtonUp;
    QColor colour = type == kRepeat ? look::kTextDim : (mouse ? kMouseMark : look::kAccent);
    if (!enabled) {
        colour = look::kTextDisabled;
    }
    painter.save();
    switch (type) {
        case kKeyDown:
        case kButtonDown:
            DrawArrow(painter, box, true, colour);
            break;
        case kKeyUp:
        case kButtonUp:
            DrawArrow(painter, box, false, colour);
            break;
        case kRepeat:
            DrawRepeat(painter, box, colour);
            break;
        default:
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawEllipse(box.center(), 2.5, 2.5);
            break;
    }
    painter.restore();
}

}  // namespace

CRecordList::CRecordList(MDialog* owner, int id, QWidget* parent)
    : MControlFont(owner, id, parent) {}

int CRecordList::AddString(const QString& text, int type, int value, int delay, int index) {
    int at = 0;
    {
        std::lock_guard lock(m_mutex);
        at = (index < 0 || index > int(m_items.size())) ? int(m_items.size()) : index;
        m_items.insert(m_items.begin() + at, RecordItem{text, type, value, ClampDelay(delay)});
        if (m_selected >= at) {
            ++m_selected;
        }
        ++m_generation;
    }
    Changed();
    return at;
}

bool CRecordList::UpdateDelayTime(int delay) {
    {
        std::lock_guard lock(m_mutex);
        if (m_items.empty()) {
            return false;
        }
        m_items.back().delay = ClampDelay(delay);
    }
    Changed();
    return true;
}

bool CRecordList::DeleteItem(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items.erase(m_items.begin() + index);
        if (m_selected > index) {
            --m_selected;
        } else if (m_selected == index) {
            m_selected = std::min(index, int(m_items.size()) - 1);
        }
        ++m_generation;
    }
    Changed();
    return true;
}

void CRecordList::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_selected = -1;
        ++m_generation;
    }
    Changed();
}

int CRecordList::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_items.size());
}

std::vector<RecordItem> CRecordList::GetRecordItems() const {
    std::lock_guard lock(m_mutex);
    return m_items;
}

void CRecordList::SetRecordItems(const std::vector<RecordItem>& items) {
    {
        std::lock_guard lock(m_mutex);
        m_items = items;
        for (RecordItem& item : m_items) {
            item.delay = ClampDelay(item.delay);
        }
        if (m_selected >= int(m_items.size())) {
            m_selected = -1;
        }
        ++m_generation;
    }
    Changed();
}

int CRecordList::GetCurSel() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void CRecordList::SetCurSel(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_items.size()) ? index : -1;
        m_scrollToSelection = m_selected >= 0;
    }
    Changed();
}

void CRecordList::SetItemHeight(int height) {
    {
        std::lock_guard lock(m_mutex);
        m_itemHeight = std::max(height, 1);
    }
    Changed();
}

int CRecordList::GetItemHeight() const {
    std::lock_guard lock(m_mutex);
    return m_itemHeight;
}

int CRecordList::ClampedScroll(int scroll) const {
    const int content = GetItemCount() * GetItemHeight();
    return std::clamp(scroll, 0, std::max(content - height(), 0));
}

void CRecordList::ScrollTo(int index) {
    if (index < 0) {
        return;
    }
    const int itemHeight = GetItemHeight();
    const int top = index * itemHeight;
    if (top < m_scroll) {
        m_scroll = top;
    } else if (top + itemHeight > m_scroll + height()) {
        m_scroll = top + itemHeight - height();
    }
    m_scroll = ClampedScroll(m_scroll);
}

QRect CRecordList::DelayCell(int index) const {
    const int itemHeight = GetItemHeight();
    return SplitRow(QRect(0, index * itemHeight - m_scroll, width(), itemHeight)).delay;
}

int CRecordList::IndexAt(const QPoint& point) const {
    if (!rect().contains(point)) {
        return -1;
    }
    const int index = (point.y() + m_scroll) / GetItemHeight();
    return index < GetItemCount() ? index : -1;
}

void CRecordList::SyncExtra() {
    unsigned generation = 0;
    int selected = -1;
    bool scrollToSelection = false;
    {
        std::lock_guard lock(m_mutex);
        generation = m_generation;
        selected = m_selected;
        scrollToSelection = m_scrollToSelection;
        m_scrollToSelection = false;
    }
    if (m_editor != nullptr && generation != m_editGeneration) {
        // The row whose pause was being edited may be gone or moved; the edit means nothing now.
        CloseEditor(false);
    }
    if (scrollToSelection) {
        ScrollTo(selected);
    }
    m_scroll = ClampedScroll(m_scroll);
    if (m_editor != nullptr) {
        m_editor->setGeometry(DelayCell(m_editIndex).adjusted(6, 3, -6, -3));
    }
}

void CRecordList::EditDelay(int index) {
    if (m_editor != nullptr) {
        CloseEditor(true);
    }
    int delay = 0;
    unsigned generation = 0;
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return;
        }
        delay = m_items[index].delay;
        generation = m_generation;
    }
    ScrollTo(index);
    m_editIndex = index;
    m_editGeneration = generation;
    m_editor = new QLineEdit(this);
    m_editor->setFrame(true);
    m_editor->setFont(CaptionFont(GetCaption()));
    m_editor->setAlignment(Qt::AlignCenter);
    m_editor->setMaxLength(kDelayDigits);
    m_editor->setValidator(new DigitsValidator(kDelayDigits, m_editor));
    m_editor->setStyleSheet(
        QStringLiteral("QLineEdit { background: #1F1F22; color: #FFFFFF; border: 1px solid "
                       "#FF7A1A; border-radius: 3px; padding: 0 4px; "
                       "selection-background-color: #FF7A1A; }"));
    m_editor->setGeometry(DelayCell(index).adjusted(6, 3, -6, -3));
    m_editor->setText(QString::number(delay));
    m_editor->selectAll();
    m_editor->installEventFilter(this);
    QObject::connect(m_editor, &QLineEdit::returnPressed, this, [this] { CloseEditor(true); });
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
    update();
}

void CRecordList::CloseEditor(bool keep) {
    QLineEdit* editor = m_editor;
    if (editor == nullptr) {
        return;
    }
    m_editor = nullptr;
    const QString text = editor->text();
    editor->removeEventFilter(this);
    editor->hide();
    editor->deleteLater();
    const int index = m_editIndex;
    m_editIndex = -1;
    update();
    // An emptied field gives no pause to keep, so the old one stays as if abandoned.
    if (!keep || text.isEmpty()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_generation != m_editGeneration || index < 0 || index >= int(m_items.size())) {
            return;
        }
        m_items[index].delay = ClampDelay(text.toInt());
    }
    Changed();
    Notify(kEventEditFinished, index);
}

bool CRecordList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editor && m_editor != nullptr) {
        if (event->type() == QEvent::FocusOut) {
            CloseEditor(true);
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            CloseEditor(false);
            return true;
        }
    }
    return MControlFont::eventFilter(watched, event);
}

void CRecordList::paintEvent(QPaintEvent*) {
    const int scroll = m_scroll;
    int itemHeight = 1;
    int count = 0;
    int first = 0;
    int selected = -1;
    std::vector<RecordItem> visible;
    {
        // Only the rows in view are copied: a recorded macro may hold thousands of steps.
        std::lock_guard lock(m_mutex);
        itemHeight = m_itemHeight;
        count = int(m_items.size());
        selected = m_selected;
        first = std::clamp(scroll / itemHeight, 0, count);
        const int last = std::clamp((scroll + height()) / itemHeight + 1, first, count);
        visible.assign(m_items.begin() + first, m_items.begin() + last);
    }
    const Caption caption = GetCaption();
    const bool enabled = isEnabled();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(CaptionFont(caption));
    const QFontMetrics metrics = painter.fontMetrics();
    for (int offset = 0; offset < int(visible.size()); ++offset) {
        const int i = first + offset;
        const RecordItem& item = visible[offset];
        const QRect row(0, i * itemHeight - scroll, width(), itemHeight);
        if (i == selected) {
            QColor tint = look::kAccent;
            tint.setAlpha(48);
            painter.fillRect(row, tint);
            painter.fillRect(QRect(row.left(), row.top(), 3, row.height()), look::kAccent);
        } else if (i % 2 == 1) {
            painter.fillRect(row, kAlternateRow);
        }
        const Columns columns = SplitRow(row);
        QRectF mark(0, 0, kMarkSide, kMarkSide);
        mark.moveCenter(QPointF(kMarkLeft + kMarkSide / 2.0, row.top() + row.height() / 2.0));
        DrawStepMark(painter, mark, item.type, enabled);

        QColor text = i == selected ? look::kText : FromArgb(caption.colour);
        QColor dim = i == selected ? look::kText : look::kTextDim;
        if (!enabled) {
            text = dim = look::kTextDisabled;
        }
        const QRect textRect = columns.event.adjusted(kTextIndent, 0, -6, 0);
        painter.setPen(text);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(item.text, Qt::ElideRight, textRect.width()));
        painter.setPen(dim);
        painter.drawText(columns.value, Qt::AlignCenter, QString::number(item.value));
        if (m_editor == nullptr || i != m_editIndex) {
            painter.setPen(text);
            painter.drawText(columns.delay, Qt::AlignCenter, QString::number(item.delay));
        }
    }
    const int content = count * itemHeight;
    if (content > height() && height() > 0) {
        const int barHeight = std::max(height() * height() / content, 16);
        const int barTop = (height() - barHeight) * scroll / std::max(content - height(), 1);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 60));
        painter.drawRoundedRect(
            QRect(width() - kScrollbarWidth - 2, barTop, kScrollbarWidth, barHeight), 2, 2);
    }
}

void CRecordList::mousePressEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index < 0 || event->button() != Qt::LeftButton) {
        MControlFont::mousePressEvent(event);
        return;
    }
    event->accept();
    if (m_editor != nullptr) {
        CloseEditor(true);
    }
    SetCurSel(index);
    Notify(kEventClick, index);
}

void CRecordList::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index < 0 || event->button() != Qt::LeftButton) {
        MControlFont::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    EditDelay(index);
}

void CRecordList::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    const int scroll = ClampedScroll(m_scroll - steps * GetItemHeight());
    if (scroll != m_scroll) {
        if (m_editor != nullptr) {
            CloseEditor(true);
        }
        m_scroll = scroll;
        update();
    }
    event->accept();
}

}  // namespace zephyl::glint
