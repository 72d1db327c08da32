// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include "glint/Look.h"

#include <QWheelEvent>

#include <atomic>
#include <map>
#include <set>
#include <thread>

namespace zephyl::glint::test {
namespace {

using KeyFuncControlTest = GlintTest;

constexpr int kId = 76;

/// Three groups as the key page makes them; "Left Ctrl" and "Right Ctrl" share their first
/// value, and "None" carries the values of a key without a function.
KeyFuncControl* MakeChooser(RecordingDialog* window, const QRect& rect = QRect(10, 10, 620, 170)) {
    auto* chooser = window->CreateControlAs<KeyFuncControl>(kId, rect);
    const int letters = chooser->AddGroup(QStringLiteral("Letters and digits"));
    const int modifiers = chooser->AddGroup(QStringLiteral("Modifiers"));
    const int media = chooser->AddGroup(QStringLiteral("Media and programs"));
    chooser->AddItem(letters, {0, 0, 0, QStringLiteral("None")});
    for (int i = 0; i < 26; ++i) {
        chooser->AddItem(letters, {4 + i, 0, 0, QString(QChar('A' + i))});
    }
    chooser->AddItem(modifiers, {0x10, 1, 0, QStringLiteral("Left Ctrl")});
    chooser->AddItem(modifiers, {0x10, 16, 0, QStringLiteral("Right Ctrl")});
    chooser->AddItem(modifiers, {0x11, 2, 0, QStringLiteral("Left Shift")});
    chooser->AddItem(media, {0x30, 0xCD, 0, QStringLiteral("Play/Pause")});
    chooser->AddItem(media, {0x31, 0xE9, 0, QStringLiteral("Volume Up")});
    chooser->AddItem(media, {0x32, 0x192, 1, QStringLiteral("Calculator")});
    Settle();
    return chooser;
}

/// The caps of the page shown, each as the box of points where ItemAt finds it. The search
/// goes past the edges, so a cap placed outside the control is found too.
std::map<int, QRect> ShownCaps(const KeyFuncControl* chooser) {
    std::map<int, QRect> caps;
    for (int y = 0; y < chooser->height() + 100; y += 3) {
        for (int x = 0; x < chooser->width() + 100; x += 3) {
            const auto [group, index] = chooser->ItemAt(QPoint(x, y));
            if (index >= 0) {
                EXPECT_EQ(group, chooser->GetCurGroup());
                caps[index] |= QRect(x, y, 1, 1);
            }
        }
    }
    return caps;
}

QPoint TabCentre(const KeyFuncControl* chooser, int group) {
    QRect box;
    for (int y = 0; y < chooser->height(); y += 2) {
        for (int x = 0; x < chooser->width(); x += 2) {
            if (chooser->GroupAt(QPoint(x, y)) == group) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box.isNull() ? QPoint(-1, -1) : box.center();
}

void Wheel(QWidget* widget, int delta) {
    const QPointF at(widget->width() / 2.0, widget->height() - 10.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
    Settle();
}

TEST_F(KeyFuncControlTest, GroupsAndItemsAreKeptAndCleared) {
    auto* chooser = m_window->CreateControlAs<KeyFuncControl>(kId, QRect(10, 10, 620, 170));
    EXPECT_EQ(chooser->GetCurGroup(), -1);
    EXPECT_EQ(chooser->AddGroup(QStringLiteral("Keys")), 0);
    EXPECT_EQ(chooser->AddGroup(QStringLiteral("Media")), 1);
    EXPECT_EQ(chooser->GetGroupCount(), 2);
    EXPECT_EQ(chooser->GetCurGroup(), 0);
    EXPECT_TRUE(chooser->AddItem(1, {0x30, 0xCD, 0, QStringLiteral("Play/Pause")}));
    EXPECT_FALSE(chooser->AddItem(2, {1, 0, 0, QStringLiteral("Lost")}));
    EXPECT_FALSE(chooser->AddItem(-1, {1, 0, 0, QStringLiteral("Lost")}));
    EXPECT_TRUE(chooser->SetGroupTitle(1, QStringLiteral("Multimedia")));
    EXPECT_FALSE(chooser->SetGroupTitle(2, QStringLiteral("None")));
    chooser->SetCurGroup(1);
    chooser->SetCurGroup(5);  // no such group: the shown one stays
    EXPECT_EQ(chooser->GetCurGroup(), 1);

    KeyFuncItem item{7, 7, 7, QStringLiteral("untouched")};
    EXPECT_FALSE(chooser->GetCurItemData(item));
    EXPECT_EQ(item.text, QStringLiteral("untouched"));
    EXPECT_TRUE(chooser->SetItemCheckByItemData(0x30, 0xCD, 0));
    EXPECT_TRUE(chooser->GetCurItemData(item));
    EXPECT_EQ(item, (KeyFuncItem{0x30, 0xCD, 0, QStringLiteral("Play/Pause")}));

    chooser->DeleteAllItems();
    EXPECT_EQ(chooser->GetGroupCount(), 0);
    EXPECT_EQ(chooser->GetCurGroup(), -1);
    EXPECT_FALSE(chooser->GetCurItemData(item));
    EXPECT_FALSE(chooser->AddItem(0, {1, 0, 0, QStringLiteral("Lost")}));
    Settle();
    EXPECT_EQ(chooser->ItemAt(QPoint(30, 50)), std::pair(-1, -1));
    EXPECT_EQ(chooser->GroupAt(QPoint(30, 15)), -1);
}

TEST_F(KeyFuncControlTest, CheckingByValuesFindsTheItemAndShowsItsGroup) {
    KeyFuncControl* chooser = MakeChooser(m_window);
    const struct {
        int value1, value2, value3;
        bool found;
        int group;
        const char* text;  ///< of the checked item, nullptr for none
    } cases[] = {
        {0x30, 0xCD, 0, true, 2, "Play/Pause"},
        {4, 0, 0, true, 0, "A"},
        {0x10, 16, 0, true, 1, "Right Ctrl"},  // same first value as "Left Ctrl"
        {0x10, 1, 0, true, 1, "Left Ctrl"},
        {0x32, 0x192, 0, false, 1, nullptr},  // third value differs: nothing, group stays
        {0x32, 0x192, 1, true, 2, "Calculator"},
        {0, 0, 0, false, 2, nullptr},  // no function, though "None" carries these values
        {999, 0, 0, false, 2, nullptr},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(testing::Message()
                     << entry.value1 << "," << entry.value2 << "," << entry.value3);
        EXPECT_EQ(chooser->SetItemCheckByItemData(entry.value1, entry.value2, entry.value3),
                  entry.found);
        EXPECT_EQ(chooser->GetCurGroup(), entry.group);
        KeyFuncItem item;
        ASSERT_EQ(chooser->GetCurItemData(item), entry.text != nullptr);
        if (entry.text != nullptr) {
            EXPECT_EQ(item.text, QString::fromLatin1(entry.text));
            EXPECT_EQ(item.value2, entry.value2);
        }
    }
}

TEST_F(KeyFuncControlTest, ClicksChooseItemsAndTabsAsPainted) {
    KeyFuncControl* chooser = MakeChooser(m_window);
    std::map<int, QRect> caps = ShownCaps(chooser);
    EXPECT_EQ(caps.size(), 27u);          // every letter fits on one page
    Click(chooser, caps.at(3).center());  // "C"
    EXPECT_EQ(m_window->events, (std::vector<Event>{{kId, kEventClick, 6}}));
    KeyFuncItem item;
    ASSERT_TRUE(chooser->GetCurItemData(item));
    EXPECT_EQ(item, (KeyFuncItem{6, 0, 0, QStringLiteral("C")}));

    // The checked cap is the one drawn in the accent colour, the others are not.
    const QImage picture = chooser->grab().toImage();
    const auto faceColour = [&](int index) {
        const QRect& box = caps.at(index);
        return QColor(picture.pixel(box.left() + 4, box.center().y()));
    };
    EXPECT_EQ(faceColour(3), look::kAccent);
    EXPECT_NE(faceColour(2), look::kAccent);
    EXPECT_NE(faceColour(4), look::kAccent);

    // A tab shows its group and reports nothing; the check stays with its item.
    const QPoint mediaTab = TabCentre(chooser, 2);
    ASSERT_NE(mediaTab, QPoint(-1, -1));
    Click(chooser, mediaTab);
    EXPECT_EQ(chooser->GetCurGroup(), 2);
    EXPECT_EQ(m_window->events.size(), 1u);
    ASSERT_TRUE(chooser->GetCurItemData(item));
    EXPECT_EQ(item.value1, 6);

    caps = ShownCaps(chooser);
    ASSERT_EQ(caps.size(), 3u);
    Click(chooser, caps.at(1).center());
    EXPECT_EQ(m_window->events.back(), (Event{kId, kEventClick, 0x31}));
    ASSERT_TRUE(chooser->GetCurItemData(item));
    EXPECT_EQ(item.text, QStringLiteral("Volume Up"));

    // Below the last cap there is nothing to choose.
    Click(chooser, QPoint(chooser->width() - 5, chooser->height() - 5));
    EXPECT_EQ(m_window->events.size(), 2u);
}

TEST_F(KeyFuncControlTest, DisabledChooserIgnoresClicks) {
    KeyFuncControl* chooser = MakeChooser(m_window);
    const QRect cap = ShownCaps(chooser).at(1);
    const QPoint tab = TabCentre(chooser, 1);
    chooser->SetEnabled(false);
    Settle();
    Click(chooser, cap.center());
    Click(chooser, tab);
    EXPECT_TRUE(m_window->events.empty());
    EXPECT_EQ(chooser->GetCurGroup(), 0);
    KeyFuncItem item;
    EXPECT_FALSE(chooser->GetCurItemData(item));

    chooser->SetEnabled(true);
    Settle();
    Click(chooser, cap.center());
    EXPECT_EQ(m_window->events, (std::vector<Event>{{kId, kEventClick, 4}}));
}

TEST_F(KeyFuncControlTest, ItemTextsChangeByFirstValue) {
    KeyFuncControl* chooser = MakeChooser(m_window);
    EXPECT_TRUE(chooser->SetItemText(0x10, QStringLiteral("Strg")));
    EXPECT_FALSE(chooser->SetItemText(0x99, QStringLiteral("Nothing")));
    const struct {
        int value2;
        const char* text;
    } cases[] = {{1, "Strg"}, {16, "Strg"}};
    for (const auto& entry : cases) {
        ASSERT_TRUE(chooser->SetItemCheckByItemData(0x10, entry.value2, 0));
        KeyFuncItem item;
        ASSERT_TRUE(chooser->GetCurItemData(item));
        EXPECT_EQ(item.text, QString::fromLatin1(entry.text));
    }
    ASSERT_TRUE(chooser->SetItemCheckByItemData(0x11, 2, 0));
    KeyFuncItem item;
    ASSERT_TRUE(chooser->GetCurItemData(item));
    EXPECT_EQ(item.text, QStringLiteral("Left Shift"));
}

TEST_F(KeyFuncControlTest, EveryItemOfALargeGroupCanBeReached) {
    // Two rows of caps: sixty keys need more than one page.
    auto* chooser = m_window->CreateControlAs<KeyFuncControl>(kId, QRect(10, 10, 620, 110));
    const int group = chooser->AddGroup(QStringLiteral("Keys"));
    for (int i = 0; i < 60; ++i) {
        chooser->AddItem(group, {100 + i, 0, 0, QStringLiteral("Key %1").arg(i)});
    }
    Settle();
    const std::map<int, QRect> first = ShownCaps(chooser);
    ASSERT_FALSE(first.empty());
    ASSERT_LT(first.size(), 60u);
    for (const auto& [index, box] : first) {
        EXPECT_TRUE(chooser->rect().contains(box)) << index;
    }

    // The wheel turns the pages until every cap has been seen, each on one page only.
    std::set<int> seen;
    for (int page = 0; page < 60 && seen.size() < 60; ++page) {
        for (const auto& [index, box] : ShownCaps(chooser)) {
            EXPECT_TRUE(seen.insert(index).second) << index;
            EXPECT_TRUE(chooser->rect().contains(box)) << index;
        }
        Wheel(chooser, -120);
    }
    EXPECT_EQ(seen.size(), 60u);
    Wheel(chooser, -120);  // past the last page nothing moves
    const std::map<int, QRect> last = ShownCaps(chooser);
    EXPECT_TRUE(last.count(59));
    Click(chooser, last.at(59).center());
    EXPECT_EQ(m_window->events, (std::vector<Event>{{kId, kEventClick, 159}}));

    for (int i = 0; i < 60; ++i) {
        Wheel(chooser, 120);
    }
    EXPECT_EQ(ShownCaps(chooser), first);
    // The arrow at the right end of the tab row turns the page too.
    Click(chooser, QPoint(chooser->width() - 12, 15));
    EXPECT_NE(ShownCaps(chooser), first);

    // A checked item is shown on its page.
    const std::map<int, QRect> shown = ShownCaps(chooser);
    ASSERT_FALSE(shown.count(0));
    ASSERT_TRUE(chooser->SetItemCheckByItemData(100, 0, 0));
    Settle();
    EXPECT_TRUE(ShownCaps(chooser).count(0));
    ASSERT_TRUE(chooser->SetItemCheckByItemData(158, 0, 0));
    Settle();
    EXPECT_TRUE(ShownCaps(chooser).count(58));
}

TEST_F(KeyFuncControlTest, EveryTabCanBeReachedInANarrowChooser) {
    auto* chooser = m_window->CreateControlAs<KeyFuncControl>(kId, QRect(10, 10, 300, 110));
    for (const char* title : {"Letters and digits", "Function keys", "Navigation and editing",
                              "Keypad", "Modifiers and symbols", "Media and programs"}) {
        chooser->AddGroup(QString::fromLatin1(title));
    }
    Settle();
    for (int group = 0; group < chooser->GetGroupCount(); ++group) {
        SCOPED_TRACE(group);
        const QPoint tab = TabCentre(chooser, group);
        ASSERT_NE(tab, QPoint(-1, -1));
        Click(chooser, tab);
        EXPECT_EQ(chooser->GetCurGroup(), group);
    }
}

/// A worker rebuilds the groups the whole time the window thread paints, hit-tests and clicks;
/// clicks only ever report an item that exists ("None" before the worker, then "First"), and
/// the worker's last word is what stays.
TEST_F(KeyFuncControlTest, WorkerRebuildsWhileTheWindowPaintsAndClicks) {
    KeyFuncControl* chooser = MakeChooser(m_window);
    constexpr int kRounds = 200;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        for (int round = 0; round < kRounds; ++round) {
            chooser->DeleteAllItems();
            const int group = chooser->AddGroup(QStringLiteral("Round %1").arg(round));
            for (int i = 0; i < 30; ++i) {
                chooser->AddItem(group, {i + 1, round, 0, QStringLiteral("K%1").arg(i)});
            }
            chooser->SetItemText(1, QStringLiteral("First"));
            chooser->SetItemCheckByItemData(1 + round % 30, round, 0);
        }
        done = true;
    });
    while (!done) {
        (void)chooser->grab();
        (void)chooser->ItemAt(QPoint(30, 55));
        Click(chooser, QPoint(30, 55));
    }
    worker.join();
    Settle();
    for (const Event& event : m_window->events) {
        EXPECT_TRUE(event.code == kEventClick && (event.value == 0 || event.value == 1))
            << event.value;
    }
    KeyFuncItem item;
    ASSERT_TRUE(chooser->GetCurItemData(item));
    // A click may have come after the worker's last check.
    const int last = kRounds - 1;
    const KeyFuncItem checked{1 + last % 30, last, 0, QStringLiteral("K%1").arg(last % 30)};
    const KeyFuncItem clicked{1, last, 0, QStringLiteral("First")};
    EXPECT_TRUE(item == checked || item == clicked) << item.value1 << " " << item.value2;
    EXPECT_TRUE(ShownCaps(chooser).count(item.value1 - 1));
}

}  // namespace
}  // namespace zephyl::glint::test
