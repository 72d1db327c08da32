// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/MComboBox.h"

#include "glint/Look.h"
#include "glint/SkinImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace zephyl::glint {
namespace {

constexpr int kRowHeight = 28;
constexpr int kVisibleRows = 10;
constexpr int kArrowWidth = 26;

}  // namespace

/// The opened list of a drop-down: a pop-up window under the control.
class ComboPopup : public QWidget {
public:
    explicit ComboPopup(MComboBox* combo)
        : QWidget(combo, Qt::Popup | Qt::FramelessWindowHint), m_combo(combo) {
        setMouseTracking(true);
        setAttribute(Qt::WA_DeleteOnClose, false);
        // A click on the drop-down that closes the list must not open it again.
        setAttribute(Qt::WA_NoMouseReplay);
        m_items = combo->Items();
        m_current = std::max(combo->GetCurSel(), 0);
        m_first = std::clamp(m_current - kVisibleRows / 2, 0,
                             std::max(int(m_items.size()) - kVisibleRows, 0));
        const int rows = std::min(int(m_items.size()), kVisibleRows);
        resize(combo->width(), std::max(rows, 1) * kRowHeight + 2);
    }

    int RowAt(const QPoint& point) const {
        if (!rect().contains(point)) {
            return -1;
        }
        const int row = m_first + (point.y() - 1) / kRowHeight;
        return row < int(m_items.size()) ? row : -1;
    }

    QRect RowRect(int row) const {
        return QRect(1, 1 + (row - m_first) * kRowHeight, width() - 2, kRowHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x26, 0x26, 0x2A));
        painter.setPen(look::kBorder);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setFont(m_combo->font());
        const int last = std::min(int(m_items.size()), m_first + kVisibleRows);
        for (int row = m_first; row < last; ++row) {
            const QRect area = RowRect(row);
            if (row == m_current) {
                painter.fillRect(area, look::kAccent);
            }
            painter.setPen(look::kText);
            painter.drawText(area.adjusted(10, 0, -10, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(m_items[row].text, Qt::ElideRight,
                                                              area.width() - 20));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const int row = RowAt(event->position().toPoint());
        if (row >= 0 && row != m_current) {
            m_current = row;
            update();
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        // The release of the press that opened the list comes here too, over the control:
        // only a release on a row chooses. A press outside closes the list (Qt's pop-up rule).
        const int row = RowAt(event->position().toPoint());
        if (row >= 0) {
            Pick(row);
        }
    }
    void wheelEvent(QWheelEvent* event) override {
        const int steps = event->angleDelta().y() / 120;
        m_first = std::clamp(m_first - steps, 0, std::max(int(m_items.size()) - kVisibleRows, 0));
        update();
    }
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Up:
                m_current = std::max(m_current - 1, 0);
                break;
            case Qt::Key_Down:
                m_current = std::min(m_current + 1, int(m_items.size()) - 1);
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (m_current >= 0 && m_current < int(m_items.size())) {
                    Pick(m_current);
                }
                return;
            case Qt::Key_Escape:
                close();
                return;
            default:
                QWidget::keyPressEvent(event);
                return;
        }
        if (m_current < m_first) {
            m_first = m_current;
        } else if (m_current >= m_first + kVisibleRows) {
            m_first = m_current - kVisibleRows + 1;
        }
        update();
    }

private:
    void Pick(int row) {
        close();
        m_combo->Choose(row);
    }

    MComboBox* m_combo;
    std::vector<MComboBox::Item> m_items;
    int m_current = 0;
    int m_first = 0;
};

MComboBox::MComboBox(MDialog* owner, int id, QWidget* parent) : MControlFont(owner, id, parent) {
    setCursor(Qt::PointingHandCursor);
}

MComboBox::~MComboBox() {
    delete m_popup;
}

int MComboBox::AddItem(const QString& text, int data) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back({text, data});
        index = int(m_items.size()) - 1;
    }
    Changed();
    return index;
}

void MComboBox::DelAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_selected = -1;
    }
    Changed();
}

int MComboBox::GetItemCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_items.size());
}

void MComboBox::SetCurSel(int index) {
    {
        std::lock_guard lock(m_mutex);
        m_selected = index >= 0 && index < int(m_items.size()) ? index : -1;
    }
    Changed();
}

int MComboBox::GetCurSel() const {
    std::lock_guard lock(m_mutex);
    return m_selected;
}

int MComboBox::GetItemData(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].data : 0;
}

QString MComboBox::GetItemText(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && index < int(m_items.size()) ? m_items[index].text : QString();
}

bool MComboBox::SetItemText(int index, const QString& text) {
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

int MComboBox::GetCurData() const {
    std::lock_guard lock(m_mutex);
    return m_selected >= 0 ? m_items[m_selected].data : -1;
}

bool MComboBox::SelectData(int data) {
    {
        std::lock_guard lock(m_mutex);
        const auto item =
            std::find_if(m_items.begin(), m_items.end(),
                         [data](const Item& candidate) { return candidate.data == data; });
        if (item == m_items.end()) {
            return false;
        }
        m_selected = int(item - m_items.begin());
    }
    Changed();
    return true;
}

std::vector<MComboBox::Item> MComboBox::Items() const {
    std::lock_guard lock(m_mutex);
    return m_items;
}

void MComboBox::Choose(int index) {
    SetCurSel(index);
    if (GetCurSel() == index) {
        Notify(kEventClick, index);
    }
}

void MComboBox::SetDropDownHandler(std::function<void()> handler) {
    m_dropDownHandler = std::move(handler);
}

void MComboBox::ShowDropDown() {
    HideDropDown();
    if (m_dropDownHandler) {
        m_dropDownHandler();
    }
    if (GetItemCount() == 0) {
        return;
    }
    m_popup = new ComboPopup(this);
    m_popup->move(mapToGlobal(QPoint(0, height() + 2)));
    m_popup->show();
    m_popup->setFocus(Qt::PopupFocusReason);
}

void MComboBox::HideDropDown() {
    if (m_popup != nullptr) {
        m_popup->close();
        m_popup->deleteLater();
        m_popup = nullptr;
    }
}

QWidget* MComboBox::GetDropDown() const {
    return m_popup != nullptr && m_popup->isVisible() ? m_popup : nullptr;
}

void MComboBox::paintEvent(QPaintEvent*) {
    QString text;
    {
        std::lock_guard lock(m_mutex);
        if (m_selected >= 0) {
            text = m_items[m_selected].text;
        }
    }
    QPainter painter(this);
    const bool open = GetDropDown() != nullptr;
    const int state = WidgetState(open, m_hovered);
    const QPixmap frame = SkinImage::Load(GetImage());
    if (!frame.isNull()) {
        // The arrow sits in the image's right end, so that end keeps its size.
        SkinImage::DrawStateNineSlice(painter, rect(), frame, GetImageStates(), state,
                                      QMargins(6, 6, kArrowWidth, 6));
    } else {
        look::DrawFieldFrame(painter, rect(), state == look::kPressed ? 0 : state, open);
        look::DrawDownArrow(painter, QRect(width() - kArrowWidth, 0, kArrowWidth, height()),
                            isEnabled() ? look::kTextDim : look::kTextDisabled);
    }
    Caption caption = GetCaption();
    caption.title = text;
    caption.alignment = kAlignLeft;
    DrawCaption(painter, rect().adjusted(10, 0, -kArrowWidth - 4, 0), caption,
                FromArgb(caption.colour));
}

void MComboBox::enterEvent(QEnterEvent*) {
    m_hovered = true;
    update();
}

void MComboBox::leaveEvent(QEvent*) {
    m_hovered = false;
    update();
}

void MComboBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        MControlFont::mousePressEvent(event);
        return;
    }
    event->accept();
    if (GetDropDown() != nullptr) {
        HideDropDown();
    } else {
        ShowDropDown();
    }
    update();
}

}  // namespace zephyl::glint
