// SPDX-License-Identifier: GPL-2.0-or-later
#include "glint/KeyFuncControl.h"

#include "glint/Look.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace zephyl::glint {
namespace {

constexpr int kTabHeight = 30;
constexpr int kTabPadding = 28;
constexpr int kGridTop = kTabHeight + 8;
constexpr int kCapHeight = 32;
constexpr int kCapGap = 6;
constexpr int kCapMaxWidth = 180;
/// Room a cap keeps free around its text before the text is cut.
constexpr int kCapTextMargin = 8;
constexpr int kArrowSide = 24;
constexpr int kPageLabelWidth = 44;
constexpr int kPagerWidth = 2 * kArrowSide + kPageLabelWidth + 8;
constexpr int kWheelStep = 120;

/// How wide caps are: the text plus padding, never under a minimum. Roomy caps look like keys;
/// compact ones are used when a group would otherwise need more than one page.
struct CapSizing {
    int padding;
    int minimum;
};
constexpr CapSizing kRoomy{24, 56};
constexpr CapSizing kCompact{12, 40};

int RowCount(int height) {
    return std::max(1, (height - kGridTop + kCapGap) / (kCapHeight + kCapGap));
}

int CapWidth(const QFontMetrics& metrics, const QString& text, CapSizing sizing, int rowWidth) {
    const int natural = std::max(metrics.horizontalAdvance(text) + sizing.padding, sizing.minimum);
    return std::max(std::min({natural, kCapMaxWidth, rowWidth}), 1);
}

/// Items wrap into rows left to right; a page holds as many rows as the height has room for.
template <typename CapT>
std::vector<std::vector<CapT>> Flow(const std::vector<QString>& texts, const QFontMetrics& metrics,
                                    CapSizing sizing, int rowWidth, int rows) {
    std::vector<std::vector<CapT>> pages;
    int x = 0;
    int row = 0;
    for (int i = 0; i < int(texts.size()); ++i) {
        const int width = CapWidth(metrics, texts[i], sizing, rowWidth);
        if (x > 0 && x + width > rowWidth) {
            x = 0;
            ++row;
        }
        if (pages.empty() || row == rows) {
            pages.emplace_back();
            row = 0;
        }
        CapT cap;
        cap.index = i;
        cap.rect = QRect(x, kGridTop + row * (kCapHeight + kCapGap), width, kCapHeight);
        cap.elided = metrics.horizontalAdvance(texts[i]) > width - kCapTextMargin;
        pages.back().push_back(cap);
        x += width + kCapGap;
    }
    return pages;
}

/// A keycap like the ones of the keyboard picture above the control, so a function reads as
/// the key it will make.
void DrawCap(QPainter& painter, const QRect& rect, const QString& text, bool checked, bool hovered,
             bool enabled) {
    QColor body(0x2B, 0x2B, 0x30);
    QColor face(0x38, 0x38, 0x3E);
    QColor border(0x16, 0x16, 0x19);
    QColor legend(0xD8, 0xD8, 0xDC);
    if (checked) {
        body = look::kAccentDim;
        face = look::kAccent;
        legend = look::kText;
    }
    if (hovered && enabled) {
        face = face.lighter(125);
        border = checked ? border : look::kAccentDim;
    }
    if (!enabled) {
        body = look::Dimmed(body, 0.6);
        face = look::Dimmed(face, 0.6);
        legend = look::kTextDisabled;
    }
    const QRectF cap = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(border, 1));
    painter.setBrush(body);
    painter.drawRoundedRect(cap, 4, 4);
    const QRectF top = cap.adjusted(2.5, 1.5, -2.5, -3.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(top, 3, 3);
    painter.setPen(legend);
    const int room = rect.width() - kCapTextMargin;
    painter.drawText(top, Qt::AlignCenter,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, std::max(room, 1)));
}

void DrawChevron(QPainter& painter, const QRect& rect, bool forward, const QColor& colour) {
    const QPointF centre = QRectF(rect).center();
    const qreal size = rect.height() * 0.18;
    const qreal direction = forward ? 1 : -1;
    QPainterPath path;
    path.moveTo(centre.x() - direction * size / 2, centre.y() - size);
    path.lineTo(centre.x() + direction * size / 2, centre.y());
    path.lineTo(centre.x() - direction * size / 2, centre.y() + size);
    painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

}  // namespace

KeyFuncControl::KeyFuncControl(MDialog* owner, int id, QWidget* parent)
    : MControlFont(owner, id, parent) {
    setMouseTracking(true);
}

int KeyFuncControl::AddGroup(const QString& title) {
    int index = 0;
    {
        std::lock_guard lock(m_mutex);
        m_groups.push_back(Group{title, {}});
        ++m_revision;
        index = int(m_groups.size()) - 1;
    }
    Changed();
    return index;
}

bool KeyFuncControl::SetGroupTitle(int group, const QString& title) {
    {
        std::lock_guard lock(m_mutex);
        if (group < 0 || group >= int(m_groups.size())) {
            return false;
        }
        m_groups[group].title = title;
        ++m_revision;
    }
    Changed();
    return true;
}

int KeyFuncControl::GetGroupCount() const {
    std::lock_guard lock(m_mutex);
    return int(m_groups.size());
}

bool KeyFuncControl::AddItem(int group, const KeyFuncItem& item) {
    {
        std::lock_guard lock(m_mutex);
        if (group < 0 || group >= int(m_groups.size())) {
            return false;
        }
        m_groups[group].items.push_back(item);
        ++m_revision;
    }
    Changed();
    return true;
}

bool KeyFuncControl::SetItemText(int value1, const QString& text) {
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        for (Group& group : m_groups) {
            for (KeyFuncItem& item : group.items) {
                if (item.value1 == value1) {
                    item.text = text;
                    found = true;
                    ++m_revision;
                }
            }
        }
    }
    if (found) {
        Changed();
    }
    return found;
}

void KeyFuncControl::DeleteAllItems() {
    {
        std::lock_guard lock(m_mutex);
        m_groups.clear();
        m_currentGroup = 0;
        m_checkedGroup = -1;
        m_checkedIndex = -1;
        ++m_generation;
        ++m_revision;
    }
    Changed();
}

int KeyFuncControl::GetCurGroup() const {
    std::lock_guard lock(m_mutex);
    return m_groups.empty() ? -1 : m_currentGroup;
}

void KeyFuncControl::SetCurGroup(int group) {
    {
        std::lock_guard lock(m_mutex);
        if (group < 0 || group >= int(m_groups.size())) {
            return;
        }
        m_currentGroup = group;
        ++m_revision;
    }
    Changed();
}

bool KeyFuncControl::GetCurItemData(KeyFuncItem& item) const {
    std::lock_guard lock(m_mutex);
    if (m_checkedGroup < 0) {
        return false;
    }
    item = m_groups[m_checkedGroup].items[m_checkedIndex];
    return true;
}

bool KeyFuncControl::SetItemCheckByItemData(int value1, int value2, int value3) {
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        m_checkedGroup = -1;
        m_checkedIndex = -1;
        // (0, 0, 0) is what the page passes for a key with no function: nothing is checked
        // even when some item carries those values.
        const bool none = value1 == 0 && value2 == 0 && value3 == 0;
        for (int g = 0; g < int(m_groups.size()) && !none && !found; ++g) {
            const std::vector<KeyFuncItem>& items = m_groups[g].items;
            for (int i = 0; i < int(items.size()); ++i) {
                if (items[i].value1 == value1 && items[i].value2 == value2 &&
                    items[i].value3 == value3) {
                    m_checkedGroup = g;
                    m_checkedIndex = i;
                    m_currentGroup = g;
                    ++m_revision;
                    found = true;
                    break;
                }
            }
        }
    }
    Changed();
    return found;
}

const KeyFuncControl::Layout& KeyFuncControl::MakeLayout() const {
    const QFont font = CaptionFont(GetCaption());
    Layout layout;
    {
        std::lock_guard lock(m_mutex);
        if (m_layoutValid && m_layoutRevision == m_revision && m_layoutSize == size() &&
            m_layoutFont == font) {
            return m_layout;
        }
        m_layoutRevision = m_revision;
        for (const Group& group : m_groups) {
            layout.titles.push_back(group.title);
        }
        if (!m_groups.empty()) {
            layout.group = m_currentGroup;
            for (const KeyFuncItem& item : m_groups[m_currentGroup].items) {
                layout.texts.push_back(item.text);
            }
        }
    }
    const QFontMetrics metrics(font);
    const int rowWidth = std::max(width(), 1);
    const int rows = RowCount(height());
    layout.pages = Flow<Cap>(layout.texts, metrics, kRoomy, rowWidth, rows);
    if (layout.pages.size() > 1) {
        layout.pages = Flow<Cap>(layout.texts, metrics, kCompact, rowWidth, rows);
    }

    const bool paged = layout.pages.size() > 1;
    const int tabRoom = std::max(width() - (paged ? kPagerWidth : 0), 1);
    std::vector<int> widths;
    int total = 0;
    for (const QString& title : layout.titles) {
        widths.push_back(metrics.horizontalAdvance(title) + kTabPadding);
        total += widths.back();
    }
    // Tabs that do not fit are cut from the widest down: short titles stay whole.
    int limit = total;
    if (total > tabRoom) {
        std::vector<int> sorted = widths;
        std::sort(sorted.begin(), sorted.end());
        int room = tabRoom;
        for (int i = 0; i < int(sorted.size()); ++i) {
            const int share = room / (int(sorted.size()) - i);
            if (sorted[i] > share) {
                limit = share;
                break;
            }
            room -= sorted[i];
        }
    }
    int x = 0;
    for (int i = 0; i < int(widths.size()); ++i) {
        const int tabWidth = std::max(std::min(widths[i], limit), 1);
        layout.tabs.emplace_back(x, 0, tabWidth, kTabHeight);
        layout.tabElided.push_back(widths[i] > tabWidth);
        x += tabWidth;
    }
    if (paged) {
        const int top = (kTabHeight - kArrowSide) / 2;
        layout.next = QRect(width() - kArrowSide, top, kArrowSide, kArrowSide);
        layout.pageLabel =
            QRect(layout.next.left() - kPageLabelWidth, top, kPageLabelWidth, kArrowSide);
        layout.previous = QRect(layout.pageLabel.left() - kArrowSide, top, kArrowSide, kArrowSide);
    }
    m_layout = std::move(layout);
    m_layoutSize = size();
    m_layoutFont = font;
    m_layoutValid = true;
    return m_layout;
}

int KeyFuncControl::ShownPage(const Layout& layout) const {
    return std::clamp(m_page, 0, std::max(int(layout.pages.size()) - 1, 0));
}

void KeyFuncControl::TurnPage(int step) {
    const Layout& layout = MakeLayout();
    const int page =
        std::clamp(ShownPage(layout) + step, 0, std::max(int(layout.pages.size()) - 1, 0));
    m_followCheck = false;
    if (page != m_page) {
        m_page = page;
        m_hovered = {-1, -1};
        update();
    }
}

void KeyFuncControl::FollowCheck() {
    if (!m_followCheck) {
        return;
    }
    int checkedGroup = -1;
    int checkedIndex = -1;
    {
        std::lock_guard lock(m_mutex);
        checkedGroup = m_checkedGroup;
        checkedIndex = m_checkedIndex;
    }
    // Nothing checked, nothing to follow: the group being filled item by item is laid out once,
    // when it is painted, instead of after every item.
    if (checkedGroup < 0) {
        return;
    }
    const Layout& layout = MakeLayout();
    if (checkedGroup != layout.group) {
        return;
    }
    for (int page = 0; page < int(layout.pages.size()); ++page) {
        for (const Cap& cap : layout.pages[page]) {
            if (cap.index == checkedIndex) {
                m_page = page;
                return;
            }
        }
    }
}

void KeyFuncControl::SyncExtra() {
    int group = -1;
    std::pair<int, int> check;
    unsigned generation = 0;
    {
        std::lock_guard lock(m_mutex);
        group = m_currentGroup;
        check = {m_checkedGroup, m_checkedIndex};
        generation = m_generation;
    }
    if (group != m_shownGroup || generation != m_shownGeneration) {
        m_shownGroup = group;
        m_shownGeneration = generation;
        m_page = 0;
        m_followCheck = true;
    }
    if (check != m_shownCheck) {
        m_shownCheck = check;
        m_followCheck = true;
    }
    FollowCheck();
}

void KeyFuncControl::resizeEvent(QResizeEvent* event) {
    FollowCheck();
    MControlFont::resizeEvent(event);
}

const KeyFuncControl::Cap* KeyFuncControl::CapAt(const Layout& layout, const QPoint& point) const {
    if (layout.pages.empty()) {
        return nullptr;
    }
    for (const Cap& cap : layout.pages[ShownPage(layout)]) {
        if (cap.rect.contains(point)) {
            return &cap;
        }
    }
    return nullptr;
}

int KeyFuncControl::TabAt(const Layout& layout, const QPoint& point) {
    for (int i = 0; i < int(layout.tabs.size()); ++i) {
        if (layout.tabs[i].contains(point)) {
            return i;
        }
    }
    return -1;
}

std::pair<int, int> KeyFuncControl::ItemAt(const QPoint& point) const {
    const Layout& layout = MakeLayout();
    const Cap* cap = CapAt(layout, point);
    return cap ? std::pair{layout.group, cap->index} : std::pair{-1, -1};
}

int KeyFuncControl::GroupAt(const QPoint& point) const {
    return TabAt(MakeLayout(), point);
}

void KeyFuncControl::paintEvent(QPaintEvent*) {
    const Layout& layout = MakeLayout();
    int checkedGroup = -1;
    int checkedIndex = -1;
    {
        std::lock_guard lock(m_mutex);
        checkedGroup = m_checkedGroup;
        checkedIndex = m_checkedIndex;
    }
    const bool enabled = isEnabled();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(CaptionFont(GetCaption()));

    painter.fillRect(QRect(0, kTabHeight - 1, width(), 1), look::kBorder);
    for (int i = 0; i < int(layout.tabs.size()); ++i) {
        const QRect& tab = layout.tabs[i];
        const bool selected = i == layout.group;
        const bool hovered = i == m_hoveredTab && enabled;
        if (selected) {
            painter.fillRect(tab.adjusted(0, 0, 0, -1), QColor(0x2E, 0x2E, 0x32));
            painter.fillRect(QRect(tab.left(), tab.bottom() - 2, tab.width(), 3),
                             enabled ? look::kAccent : look::Dimmed(look::kAccent, 0.5));
        } else if (hovered) {
            painter.fillRect(tab.adjusted(0, 0, 0, -1), QColor(0x26, 0x26, 0x2A));
        }
        QColor colour = selected || hovered ? look::kText : look::kTextDim;
        if (!enabled) {
            colour = look::kTextDisabled;
        }
        painter.setPen(colour);
        const QRect textRect = tab.adjusted(6, 0, -6, -2);
        painter.drawText(textRect, Qt::AlignCenter,
                         painter.fontMetrics().elidedText(layout.titles[i], Qt::ElideRight,
                                                          std::max(textRect.width(), 1)));
    }

    if (layout.pages.empty()) {
        return;
    }
    const int page = ShownPage(layout);
    for (const Cap& cap : layout.pages[page]) {
        const bool checked = layout.group == checkedGroup && cap.index == checkedIndex;
        const bool hovered = m_hovered == std::pair(layout.group, cap.index);
        DrawCap(painter, cap.rect, layout.texts[cap.index], checked, hovered, enabled);
    }

    if (layout.pages.size() > 1) {
        const int last = int(layout.pages.size()) - 1;
        const struct {
            QRect rect;
            bool forward;
            bool possible;
            int arrow;
        } arrows[] = {{layout.previous, false, page > 0, -1}, {layout.next, true, page < last, 1}};
        for (const auto& arrow : arrows) {
            QColor colour = arrow.possible ? look::kText : look::kTextDisabled;
            if (arrow.possible && enabled && m_hoveredArrow == arrow.arrow) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(look::kSurfaceHover);
                painter.drawRoundedRect(QRectF(arrow.rect).adjusted(1, 1, -1, -1), 4, 4);
                colour = look::kAccent;
            }
            if (!enabled) {
                colour = look::kTextDisabled;
            }
            DrawChevron(painter, arrow.rect, arrow.forward, colour);
        }
        painter.setPen(enabled ? look::kTextDim : look::kTextDisabled);
        painter.drawText(layout.pageLabel, Qt::AlignCenter,
                         QStringLiteral("%1/%2").arg(page + 1).arg(last + 1));
    }
}

void KeyFuncControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled() || !isEnabled()) {
        MControlFont::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPoint point = event->position().toPoint();
    const Layout& layout = MakeLayout();
    const int tab = TabAt(layout, point);
    if (tab >= 0) {
        SetCurGroup(tab);
        return;
    }
    if (layout.previous.contains(point)) {
        TurnPage(-1);
        return;
    }
    if (layout.next.contains(point)) {
        TurnPage(1);
        return;
    }
    const Cap* cap = CapAt(layout, point);
    if (cap == nullptr) {
        return;
    }
    const int group = layout.group;
    const int index = cap->index;
    int value1 = 0;
    {
        std::lock_guard lock(m_mutex);
        // Another thread may have changed the items since the layout was made.
        if (group != m_currentGroup || group >= int(m_groups.size()) ||
            index >= int(m_groups[group].items.size())) {
            return;
        }
        m_checkedGroup = group;
        m_checkedIndex = index;
        value1 = m_groups[group].items[index].value1;
    }
    Changed();
    Notify(kEventClick, value1);
}

void KeyFuncControl::UpdateHover(const QPoint& point) {
    const Layout& layout = MakeLayout();
    std::pair<int, int> item{-1, -1};
    bool elided = false;
    QString text;
    if (const Cap* cap = CapAt(layout, point)) {
        item = {layout.group, cap->index};
        elided = cap->elided;
        text = layout.texts[cap->index];
    }
    const int tab = TabAt(layout, point);
    if (tab >= 0) {
        elided = layout.tabElided[tab];
        text = layout.titles[tab];
    }
    const int arrow = layout.previous.contains(point) ? -1 : (layout.next.contains(point) ? 1 : 0);
    if (item != m_hovered || tab != m_hoveredTab || arrow != m_hoveredArrow) {
        m_hovered = item;
        m_hoveredTab = tab;
        m_hoveredArrow = arrow;
        // A cut text shows whole in the tooltip.
        setToolTip(elided ? text : GetTooltip());
        update();
    }
}

void KeyFuncControl::mouseMoveEvent(QMouseEvent* event) {
    UpdateHover(event->position().toPoint());
    MControlFont::mouseMoveEvent(event);
}

void KeyFuncControl::leaveEvent(QEvent*) {
    m_hovered = {-1, -1};
    m_hoveredTab = -1;
    m_hoveredArrow = 0;
    update();
}

void KeyFuncControl::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!isEnabled()) {
        return;
    }
    const QPoint delta = event->angleDelta();
    m_wheelRest += delta.y() != 0 ? delta.y() : delta.x();
    while (std::abs(m_wheelRest) >= kWheelStep) {
        const int step = m_wheelRest > 0 ? -1 : 1;
        m_wheelRest += step * kWheelStep;
        TurnPage(step);
    }
    UpdateHover(event->position().toPoint());
}

}  // namespace zephyl::glint
