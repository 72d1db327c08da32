// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MListBox.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kMarkerSide = 12;
constexpr int kTextIndent = 32;
constexpr int kScrollbarWidth = 4;

}  // namespace

MListBox::MListBox(MDialog* owner, int id, QWidget* parent) : MControlFont(owner, id, parent) {
    setMouseTracking(true);
}

int MListBox::AddString(const QString& text, int data, int index) {
    int at = 0;
    {
        std::lock_guard lock(m_mutex);
        at = (index < 0 || index > int(m_items.size())) ? int(m_items.size()) : index;
        m_items.insert(m_items.begin() + at, Item{text, data});
        if (m_selected >= at) {
            ++m_selected;
        }
        ++m_generation;
    }
    Changed();
    return at;
}

bool MListBox::DeleteItem(int index) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items.erase(m_items.begin() + index);
        if (m_selected == index) {
            m_selected = -1;
        } else if (m_selected > index) {
            --m_selected;
        }
        ++m_generation;
    }
    Changed();
    return true;
}

void MListBox::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_selected = -1;
        ++m_generation;
    }
    Changed();
}

int MListBox::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_items.size());
}

int MListBox::GetCurSel() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

void MListBox::SetCurSel(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_items.size()) ? index : -1;
    }
    Changed();
}

int MListBox::GetItemData(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].data : 0;
}

QString MListBox::GetItemText(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].text : QString();
}

bool MListBox::ModifyItemString(int index, const QString& text) {
    {
        std::lock_guard lock(m_mutex);
        if (index < 0 || index >= int(m_items.size())) {
            return false;
        }
        m_items[index].text = text;
    }
    Changed();
    return true;
}

int MListBox::GetCurData() const {
    std::lock_guard lock(m_mutex);
    return m_selected >= 0 ? m_items[m_selected].data : -1;
}

bool MListBox::SetCurData(int data) {
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        const auto item =
            std::find_if(m_items.begin(), m_items.end(),
                         [data](const Item& candidate) { return candidate.data == data; });
        found = item != m_items.end();
        m_selected = found ? int(item - m_items.begin()) : -1;
    }
    Changed();
    return found;
}

void MListBox::ShowEdit() {
    {
        std::lock_guard lock(m_mutex);
        if (m_selected < 0) {
            return;
        }
        m_editRequested = true;
    }
    Changed();
}

void MListBox::SetEditImage(const QString& file, int states) {
    std::lock_guard lock(m_mutex);
    m_editImage = file;
    m_editImageStates = std::max(states, 1);
}

void MListBox::SetItemHeight(int height) {
    {
        std::lock_guard lock(m_mutex);
        m_itemHeight = std::max(height, 1);
    }
    Changed();
}

int MListBox::GetItemHeight() const {
    std::lock_guard lock(m_mutex);
    return m_itemHeight;
}

int MListBox::ClampedScroll(int scroll) const {
    const int content = GetItemCount() * GetItemHeight();
    return std::clamp(scroll, 0, std::max(content - height(), 0));
}

void MListBox::ScrollTo(int index) {
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

int MListBox::IndexAt(const QPoint& point) const {
    if (!rect().contains(point)) {
        return -1;
    }
    const int index = (point.y() + m_scroll) / GetItemHeight();
    return index < GetItemCount() ? index : -1;
}

void MListBox::SyncExtra() {
    bool openEditor = false;
    unsigned generation = 0;
    int selected = -1;
    {
        std::lock_guard lock(m_mutex);
        openEditor = m_editRequested;
        m_editRequested = false;
        generation = m_generation;
        selected = m_selected;
    }
    if (m_editor != nullptr && generation != m_editGeneration) {
        // The item being renamed may be gone; the edit no longer means anything.
        CloseEditor(false);
    }
    if (selected != m_shownSelection) {
        m_shownSelection = selected;
        ScrollTo(selected);
    }
    m_scroll = ClampedScroll(m_scroll);
    if (openEditor && m_editor == nullptr) {
        OpenEditor();
    }
}

void MListBox::OpenEditor() {
    int index = -1;
    QString text;
    {
        std::lock_guard lock(m_mutex);
        index = m_selected;
        if (index < 0) {
            return;
        }
        text = m_items[index].text;
        m_editGeneration = m_generation;
    }
    ScrollTo(index);
    m_editIndex = index;
    m_editor = new QLineEdit(this);
    m_editor->setFrame(true);
    m_editor->setFont(CaptionFont(GetCaption()));
    QString editImage;
    {
        std::lock_guard lock(m_mutex);
        editImage = m_editImage;
    }
    // With a frame image the list paints the frame and the editor only carries the text.
    m_editor->setStyleSheet(
        SkinImage::Load(editImage).isNull()
            ? QStringLiteral("QLineEdit { background: #1F1F22; color: #FFFFFF; border: 1px solid "
                             "#FF7A1A; border-radius: 3px; padding: 0 4px; "
                             "selection-background-color: #FF7A1A; }")
            : QStringLiteral("QLineEdit { background: transparent; color: #FFFFFF; border: none; "
                             "padding: 0 6px; selection-background-color: #FF7A1A; }"));
    const int itemHeight = GetItemHeight();
    m_editor->setGeometry(kTextIndent - 6, index * itemHeight - m_scroll + 3, width() - kTextIndent,
                          itemHeight - 6);
    m_editor->setText(text);
    m_editor->selectAll();
    m_editor->installEventFilter(this);
    QObject::connect(m_editor, &QLineEdit::returnPressed, this, [this] { CloseEditor(true); });
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void MListBox::CloseEditor(bool keep) {
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
    if (!keep) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_generation != m_editGeneration || index < 0 || index >= int(m_items.size())) {
            return;
        }
        m_items[index].text = text;
    }
    Changed();
    Notify(kEventEditFinished, index);
}

bool MListBox::eventFilter(QObject* watched, QEvent* event) {
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

void MListBox::paintEvent(QPaintEvent*) {
    std::vector<Item> items;
    int selected = -1;
    int itemHeight = 1;
    QString editImage;
    int editStates = 4;
    {
        std::lock_guard lock(m_mutex);
        items = m_items;
        selected = m_selected;
        itemHeight = m_itemHeight;
        editImage = m_editImage;
        editStates = m_editImageStates;
    }
    const Caption caption = GetCaption();
    const QPixmap marker = SkinImage::Load(GetImage());
    const int markerStates = GetImageStates();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(CaptionFont(caption));
    const bool enabled = isEnabled();
    for (int i = 0; i < int(items.size()); ++i) {
        const QRect row(0, i * itemHeight - m_scroll, width(), itemHeight);
        if (row.bottom() < 0 || row.top() > height()) {
            continue;
        }
        if (i == selected) {
            QColor tint = look::kAccent;
            tint.setAlpha(48);
            painter.fillRect(row, tint);
            painter.fillRect(QRect(row.left(), row.top(), 3, row.height()), look::kAccent);
        } else if (i == m_hovered) {
            painter.fillRect(row, QColor(255, 255, 255, 14));
        }
        QRect markerRect(0, 0, kMarkerSide, kMarkerSide);
        markerRect.moveCenter(QPoint(16, row.center().y()));
        if (!marker.isNull()) {
            SkinImage::DrawStateCentred(painter, markerRect.adjusted(-2, -2, 2, 2), marker,
                                        markerStates, i == selected ? 1 : 0);
        } else {
            painter.setPen(QPen(i == selected ? look::kAccent : look::kTextDim, 1.5));
            painter.setBrush(i == selected ? look::kAccent : QColor(Qt::transparent));
            painter.drawEllipse(QRectF(markerRect).adjusted(1.5, 1.5, -1.5, -1.5));
        }
        if (m_editor != nullptr && i == m_editIndex) {
            const QPixmap frame = SkinImage::Load(editImage);
            if (!frame.isNull()) {
                SkinImage::DrawStateNineSlice(painter, m_editor->geometry(), frame, editStates,
                                              look::kPressed, QMargins(6, 6, 6, 6));
            }
            continue;
        }
        const QRect textRect = row.adjusted(kTextIndent, 0, -8, 0);
        QColor colour = i == selected ? look::kText : FromArgb(caption.colour);
        if (!enabled) {
            colour = look::kTextDisabled;
        }
        painter.setPen(colour);
        painter.drawText(
            textRect, Qt::AlignLeft | Qt::AlignVCenter,
            painter.fontMetrics().elidedText(items[i].text, Qt::ElideRight, textRect.width()));
    }
    const int content = int(items.size()) * itemHeight;
    if (content > height() && height() > 0) {
        const int barHeight = std::max(height() * height() / content, 16);
        const int barTop = (height() - barHeight) * m_scroll / std::max(content - height(), 1);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 60));
        painter.drawRoundedRect(
            QRect(width() - kScrollbarWidth - 2, barTop, kScrollbarWidth, barHeight), 2, 2);
    }
}

void MListBox::mousePressEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index < 0 || (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)) {
        MControlFont::mousePressEvent(event);
        return;
    }
    event->accept();
    if (m_editor != nullptr) {
        CloseEditor(true);
    }
    SetCurSel(index);
    Notify(event->button() == Qt::LeftButton ? kEventClick : kEventRightButton, index);
}

void MListBox::mouseMoveEvent(QMouseEvent* event) {
    const int index = IndexAt(event->position().toPoint());
    if (index != m_hovered) {
        m_hovered = index;
        update();
    }
    MControlFont::mouseMoveEvent(event);
}

void MListBox::leaveEvent(QEvent*) {
    m_hovered = -1;
    update();
}

void MListBox::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    const int scroll = ClampedScroll(m_scroll - steps * GetItemHeight());
    if (scroll != m_scroll) {
        m_scroll = scroll;
        if (m_editor != nullptr) {
            CloseEditor(true);
        }
        update();
    }
    event->accept();
}

}  // namespace zephyl::glint
