// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MControlFont.h"

#include <vector>

namespace zephyl::glint {

/// One function offered by the chooser: three values that say what it does and its text.
struct KeyFuncItem {
    int value1 = 0;
    int value2 = 0;
    int value3 = 0;
    QString text;
    bool operator==(const KeyFuncItem&) const = default;
};

/// The function chooser of the key page: groups of functions (keys, function keys, media, ...)
/// shown one group at a time under a strip of group tabs, each function as a small keycap with
/// its text. Clicking a tab shows its group; clicking a function makes it the current item and
/// reports event 2 with its first value. The current item is drawn checked until another is
/// chosen or the check is cleared.
class KeyFuncControl : public MControlFont {
public:
    static constexpr const char* kClassName = "KeyFuncControl";
    KeyFuncControl(MDialog* owner, int id, QWidget* parent);
    const char* ClassName() const override { return kClassName; }

    /// Appends a group; returns its index.
    int AddGroup(const QString& title);
    bool SetGroupTitle(int group, const QString& title);
    int GetGroupCount() const;
    /// Appends a function to a group; false for a group that does not exist.
    bool AddItem(int group, const KeyFuncItem& item);
    /// The texts of the functions whose first value is `value1`; false when none has it.
    bool SetItemText(int value1, const QString& text);
    void DeleteAllItems();
    /// The group shown.
    int GetCurGroup() const;
    void SetCurGroup(int group);

    /// The current item; false (and `item` untouched) when none is checked.
    bool GetCurItemData(KeyFuncItem& item) const;
    /// Checks the first function with these three values and shows its group; values that no
    /// function has, (0, 0, 0) among them, clear the check. Returns whether one was checked.
    bool SetItemCheckByItemData(int value1, int value2, int value3);

    /// The function under `point` as (group, index), or (-1, -1); window thread.
    std::pair<int, int> ItemAt(const QPoint& point) const;
    /// The tab under `point`, -1 for none; window thread.
    int GroupAt(const QPoint& point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void SyncExtra() override;

private:
    struct Group {
        QString title;
        std::vector<KeyFuncItem> items;
    };
    struct Cap {
        int index = -1;
        QRect rect;
        bool elided = false;
    };
    /// Where everything sits for the model as it is now and the widget's size.
    struct Layout {
        int group = -1;
        std::vector<QString> titles;
        std::vector<QString> texts;
        std::vector<QRect> tabs;
        std::vector<bool> tabElided;
        std::vector<std::vector<Cap>> pages;
        QRect previous;
        QRect next;
        QRect pageLabel;
    };

    /// The cached layout, made again only when the model, the size or the font changed.
    const Layout& MakeLayout() const;
    int ShownPage(const Layout& layout) const;
    /// The cap of the shown page under `point`, null for none.
    const Cap* CapAt(const Layout& layout, const QPoint& point) const;
    static int TabAt(const Layout& layout, const QPoint& point);
    void TurnPage(int step);
    /// Shows the page of the checked item while the user has not turned pages himself.
    void FollowCheck();
    void UpdateHover(const QPoint& point);

    std::vector<Group> m_groups;
    int m_currentGroup = 0;
    int m_checkedGroup = -1;
    int m_checkedIndex = -1;
    /// Changes when every item goes, so the window thread starts again from the first page.
    unsigned m_generation = 0;
    /// Changes with anything that moves tabs or caps.
    unsigned m_revision = 0;

    // Window thread only.
    std::pair<int, int> m_hovered{-1, -1};
    int m_hoveredTab = -1;
    int m_hoveredArrow = 0;
    int m_page = 0;
    bool m_followCheck = true;
    int m_wheelRest = 0;
    int m_shownGroup = -1;
    std::pair<int, int> m_shownCheck{-1, -1};
    unsigned m_shownGeneration = 0;
    /// The last layout made and what it was made for: hit tests follow every mouse move.
    mutable Layout m_layout;
    mutable unsigned m_layoutRevision = 0;
    mutable QSize m_layoutSize;
    mutable QFont m_layoutFont;
    mutable bool m_layoutValid = false;
};

}  // namespace zephyl::glint
