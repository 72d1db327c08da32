// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QLineEdit>
#include <QTest>

#include <thread>

namespace zephyl::glint::test {
namespace {

using ListsTest = GlintTest;

MListBox* ProfileList(RecordingDialog* window) {
    auto* list = window->CreateControlAs<MListBox>(71, QRect(10, 10, 200, 200));
    list->SetItemHeight(30);
    list->AddString(QStringLiteral("My Config 1"), 1);
    list->AddString(QStringLiteral("My Config 2"), 2);
    list->AddString(QStringLiteral("Gaming"), 7);
    return list;
}

TEST_F(ListsTest, ListItemsKeepTheirValuesThroughInsertsAndDeletes) {
    MListBox* list = ProfileList(m_window);
    list->SetCurSel(1);
    EXPECT_EQ(list->GetCurData(), 2);
    EXPECT_EQ(list->AddString(QStringLiteral("First"), 9, 0), 0);
    EXPECT_EQ(list->GetCurSel(), 2);  // the selection follows its item
    EXPECT_EQ(list->GetCurData(), 2);
    EXPECT_TRUE(list->DeleteItem(0));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_TRUE(list->DeleteItem(1));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetCurData(), -1);
    EXPECT_FALSE(list->DeleteItem(5));
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItemText(1), QStringLiteral("Gaming"));
    EXPECT_EQ(list->GetItemData(1), 7);
    EXPECT_EQ(list->GetItemData(9), 0);

    const struct {
        int data;
        bool found;
        int selection;
    } cases[] = {{7, true, 1}, {1, true, 0}, {42, false, -1}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.data);
        EXPECT_EQ(list->SetCurData(entry.data), entry.found);
        EXPECT_EQ(list->GetCurSel(), entry.selection);
    }
    list->SetCurSel(8);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_TRUE(list->ModifyItemString(0, QStringLiteral("Work")));
    EXPECT_EQ(list->GetItemText(0), QStringLiteral("Work"));
    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(ListsTest, ListClicksSelectAndReport) {
    MListBox* list = ProfileList(m_window);
    Click(list, QPoint(50, 45));
    Click(list, QPoint(50, 75), Qt::RightButton);
    Click(list, QPoint(50, 150));  // below the last item: nothing
    EXPECT_EQ(m_window->events,
              (std::vector<Event>{{71, kEventClick, 1}, {71, kEventRightButton, 2}}));
    EXPECT_EQ(list->GetCurSel(), 2);
}

TEST_F(ListsTest, InPlaceRenameEndsWithEvent29UnlessAbandoned) {
    MListBox* list = ProfileList(m_window);
    list->ShowEdit();
    EXPECT_FALSE(list->IsEditing());  // nothing selected

    const struct {
        const char* name;
        std::function<void(QLineEdit*)> finish;
        QString text;
        std::vector<Event> events;
    } cases[] = {
        {"Return",
         [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Return); },
         "Work",
         {{71, kEventEditFinished, 1}}},
        {"Escape", [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Escape); }, "My Config 2", {}},
        {"focus leaves",
         [](QLineEdit* e) { e->clearFocus(); },
         "Work",
         {{71, kEventEditFinished, 1}}},
        {"empty text",
         [](QLineEdit* e) { e->clear(), QTest::keyClick(e, Qt::Key_Return); },
         "",
         {{71, kEventEditFinished, 1}}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        list->ModifyItemString(1, QStringLiteral("My Config 2"));
        list->SetCurSel(1);
        m_window->events.clear();
        list->ShowEdit();
        Settle();
        ASSERT_TRUE(list->IsEditing());
        QLineEdit* editor = list->GetEditor();
        EXPECT_EQ(editor->text(), QStringLiteral("My Config 2"));
        editor->setText(QStringLiteral("Work"));
        entry.finish(editor);
        Settle();
        EXPECT_FALSE(list->IsEditing());
        EXPECT_EQ(list->GetItemText(1), entry.text);
        EXPECT_EQ(m_window->events, entry.events);
    }
}

TEST_F(ListsTest, EditingStopsSilentlyWhenTheItemsChange) {
    MListBox* list = ProfileList(m_window);
    list->SetCurSel(0);
    list->ShowEdit();
    Settle();
    ASSERT_TRUE(list->IsEditing());
    std::thread worker([list] { list->DeleteItem(0); });
    worker.join();
    Settle();
    EXPECT_FALSE(list->IsEditing());
    EXPECT_TRUE(m_window->events.empty());
    EXPECT_EQ(list->GetItemText(0), QStringLiteral("My Config 2"));
}

TEST_F(ListsTest, ComboSelectsByValueAndReportsChoices) {
    auto* combo = m_window->CreateControlAs<MComboBox>(293, QRect(10, 10, 160, 30));
    for (int value = 1; value <= 5; ++value) {
        EXPECT_EQ(combo->AddItem(QStringLiteral("%1 ms").arg(value), value), value - 1);
    }
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->GetCurData(), -1);
    EXPECT_TRUE(combo->SelectData(2));
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_FALSE(combo->SelectData(9));
    EXPECT_EQ(combo->GetCurData(), 2);  // an unknown value keeps the selection
    EXPECT_TRUE(combo->SetItemText(1, QStringLiteral("two")));
    EXPECT_EQ(combo->GetItemText(1), QStringLiteral("two"));

    Click(combo, QPoint(20, 15));
    QWidget* dropDown = combo->GetDropDown();
    ASSERT_NE(dropDown, nullptr);
    // On a desktop the pop-up grabs the mouse: the release of the opening click reaches it,
    // above its rows, and must leave it open.
    QTest::mouseRelease(dropDown, Qt::LeftButton, {}, QPoint(20, -15));
    Settle();
    ASSERT_EQ(combo->GetDropDown(), dropDown);
    // Rows of the opened list are 28 pixels high below a one-pixel border.
    Click(dropDown, QPoint(20, 1 + 3 * 28 + 14));
    EXPECT_EQ(combo->GetDropDown(), nullptr);
    EXPECT_EQ(combo->GetCurData(), 4);
    EXPECT_EQ(m_window->events, (std::vector<Event>{{293, kEventClick, 3}}));

    Click(combo, QPoint(20, 15));
    ASSERT_NE(combo->GetDropDown(), nullptr);
    QTest::keyClick(combo->GetDropDown(), Qt::Key_Escape);
    Settle();
    EXPECT_EQ(combo->GetDropDown(), nullptr);
    EXPECT_EQ(m_window->events.size(), 1u);
    combo->DelAllItems();
    EXPECT_EQ(combo->GetItemCount(), 0);
    EXPECT_EQ(combo->GetCurSel(), -1);
}

TEST_F(ListsTest, TabsShowTheirContainerAndSkipHiddenItems) {
    std::vector<MControl*> pages;
    for (int i = 0; i < 3; ++i) {
        pages.push_back(m_window->CreateArea("MTabLayout", 50 + i, QRect(60, 60, 300, 300)));
    }
    auto* tabs = m_window->CreateControlAs<MTabCtrl>(49, QRect(0, 60, 60, 400));
    tabs->SetItemWidth(60, 60, 1);
    tabs->SetItemHeight(60, 60, 1);
    const int ids[] = {0, 1, 9};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tabs->InsertItem(ids[i], QStringLiteral("Page"), QStringLiteral("icon\\tab.png"),
                                   pages[i], 4, 0),
                  i);
    }
    tabs->SetSelectItem(2);
    Settle();
    EXPECT_EQ(tabs->GetItemID(2), 9);
    EXPECT_EQ(tabs->GetItemID(3), -1);
    EXPECT_TRUE(pages[0]->isHidden() && pages[1]->isHidden());
    EXPECT_FALSE(pages[2]->isHidden());

    tabs->SetItemVisible(1, false);
    Settle();
    EXPECT_EQ(tabs->IndexAt(QPoint(30, 90)), 2);  // the third item moved up
    Click(tabs, QPoint(30, 30));
    EXPECT_EQ(m_window->events, (std::vector<Event>{{49, kEventClick, 0}}));
    EXPECT_EQ(tabs->GetSelectItem(), 0);
    EXPECT_FALSE(pages[0]->isHidden());
    EXPECT_TRUE(pages[2]->isHidden());
    tabs->SetItemText(0, QStringLiteral("Home"));
    EXPECT_EQ(tabs->GetItemInfo(0).text, QStringLiteral("Home"));
    EXPECT_EQ(tabs->GetItemInfo(0).container, pages[0]);
}

TEST_F(ListsTest, DeviceListAnswersWithAModelItShows) {
    auto* list = m_window->CreateControlAs<CDeviceList>(62, QRect(0, 300, 640, 120));
    EXPECT_EQ(list->GetSelectDevice(), 0);
    list->SetSelectDevice(101);
    EXPECT_EQ(list->GetSelectIndex(), -1);  // nothing to select in an empty list
    list->AddDevice(QStringLiteral("K100"), 101, QStringLiteral("a.png"), QStringLiteral("b.png"));
    list->AddDevice(QStringLiteral("K68"), 102, QStringLiteral("c.png"), QStringLiteral("d.png"));
    list->AddDevice(QStringLiteral("K87"), 103, QStringLiteral("e.png"), QStringLiteral("f.png"));

    const struct {
        int request;
        int selected;
    } cases[] = {{999, 101}, {103, 103}, {999, 103}, {102, 102}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.request);
        list->SetSelectDevice(entry.request);
        EXPECT_EQ(list->GetSelectDevice(), entry.selected);
    }

    list->SetAllDeviceState(0);
    list->SetDeviceState(103, 1);
    EXPECT_EQ(list->GetDeviceState(103), 1);
    EXPECT_EQ(list->GetDeviceState(101), 0);

    Settle();
    Click(list, list->CardRect(0).center());
    EXPECT_EQ(m_window->events, (std::vector<Event>{{62, kEventClick, 0}}));
    EXPECT_EQ(list->GetSelectDevice(), 101);
    list->ClearList();
    EXPECT_EQ(list->GetDeviceCount(), 0);
    EXPECT_EQ(list->GetSelectDevice(), 0);
}

}  // namespace
}  // namespace zephyl::glint::test
