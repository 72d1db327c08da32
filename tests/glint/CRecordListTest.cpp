// SPDX-License-Identifier: GPL-2.0-or-later
#include "GlintTestSupport.h"

#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

#include <atomic>
#include <functional>
#include <thread>

namespace zephyl::glint::test {
namespace {

using CRecordListTest = GlintTest;

constexpr int kId = 287;

// 300 x 200 with rows of 30: the pause column starts at x 225, row r spans 30r .. 30r + 29.
CRecordList* StepList(RecordingDialog* window) {
    auto* list = window->CreateControlAs<CRecordList>(kId, QRect(10, 10, 300, 200));
    list->SetItemHeight(30);
    list->AddString(QStringLiteral("A"), 2, 65, 10);
    list->AddString(QStringLiteral("A"), 3, 65, 20);
    list->AddString(QStringLiteral("Left button"), 4, 1, 30);
    Settle();
    return list;
}

QString Texts(const CRecordList* list) {
    QString texts;
    for (const RecordItem& item : list->GetRecordItems()) {
        texts += item.text;
    }
    return texts;
}

std::vector<int> Delays(const CRecordList* list) {
    std::vector<int> delays;
    for (const RecordItem& item : list->GetRecordItems()) {
        delays.push_back(item.delay);
    }
    return delays;
}

void Wheel(QWidget* widget, int notches) {
    QWheelEvent event(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(widget, &event);
    Settle();
}

TEST_F(CRecordListTest, SelectionFollowsItsRowThroughInsertsAndDeletes) {
    auto* list = m_window->CreateControlAs<CRecordList>(kId, QRect(10, 10, 300, 200));
    for (const char* text : {"a", "b", "c"}) {
        list->AddString(QString::fromLatin1(text), 2, 4, 0);
    }
    list->SetCurSel(1);
    using Step = std::function<int(CRecordList*)>;
    const auto insert = [](const char* text, int at) -> Step {
        return [=](CRecordList* l) { return l->AddString(QString::fromLatin1(text), 2, 4, 0, at); };
    };
    const auto erase = [](int at) -> Step {
        return [=](CRecordList* l) { return int(l->DeleteItem(at)); };
    };
    const auto select = [](int at) -> Step {
        return [=](CRecordList* l) { return l->SetCurSel(at), 0; };
    };
    const struct {
        const char* name;
        Step step;
        int result;
        const char* texts;
        int selection;
    } steps[] = {
        {"insert at the selection", insert("x", 1), 1, "axbc", 2},
        {"insert after", insert("y", 3), 3, "axbyc", 2},
        {"past the end", insert("z", 9), 5, "axbycz", 2},
        {"delete before", erase(0), 1, "xbycz", 1},
        {"delete selected", erase(1), 1, "xycz", 1},
        {"delete after", erase(3), 1, "xyc", 1},
        {"out of range", erase(3), 0, "xyc", 1},
        {"select last", select(2), 0, "xyc", 2},
        {"delete last", erase(2), 1, "xy", 1},
        {"bad selection", select(2), 0, "xy", -1},
        {"reselect", select(0), 0, "xy", 0},
        {"delete", erase(0), 1, "y", 0},
        {"empty it", erase(0), 1, "", -1},
        {"append", insert("w", -1), 0, "w", -1},
    };
    for (const auto& entry : steps) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(entry.step(list), entry.result);
        EXPECT_EQ(Texts(list), QString::fromLatin1(entry.texts));
        EXPECT_EQ(list->GetCurSel(), entry.selection);
    }
    list->SetCurSel(0);
    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(CRecordListTest, PausesAreKeptWithinSixteenBits) {
    auto* list = m_window->CreateControlAs<CRecordList>(kId, QRect(10, 10, 300, 200));
    EXPECT_FALSE(list->UpdateDelayTime(50));
    list->AddString(QStringLiteral("A"), 2, 65, 0);
    list->AddString(QStringLiteral("A"), 3, 65, 70000);
    list->AddString(QStringLiteral("Left button"), 4, 1, -3);
    EXPECT_TRUE(list->UpdateDelayTime(120));
    EXPECT_EQ(list->GetRecordItems(),
              (std::vector<RecordItem>{{QStringLiteral("A"), 2, 65, 0},
                                       {QStringLiteral("A"), 3, 65, 65535},
                                       {QStringLiteral("Left button"), 4, 1, 120}}));
    EXPECT_TRUE(list->UpdateDelayTime(1 << 20));
    EXPECT_EQ(Delays(list), (std::vector<int>{0, 65535, 65535}));
}

TEST_F(CRecordListTest, ReplacedRowsKeepASelectionThatStillExists) {
    CRecordList* list = StepList(m_window);
    const std::vector<RecordItem> saved = list->GetRecordItems();
    list->SetCurSel(2);
    list->SetRecordItems(saved);
    EXPECT_EQ(list->GetRecordItems(), saved);
    EXPECT_EQ(list->GetCurSel(), 2);
    list->SetRecordItems({saved[0], saved[1], {QStringLiteral("B"), 0, 66, 99999}});
    EXPECT_EQ(Delays(list), (std::vector<int>{10, 20, 65535}));
    list->SetRecordItems({saved[0], saved[1]});
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(CRecordListTest, ClickSelectsARowAndReportsIt) {
    CRecordList* list = StepList(m_window);
    Click(list, QPoint(50, 45));
    Click(list, QPoint(250, 150));  // below the last row
    EXPECT_EQ(m_window->events, (std::vector<Event>{{kId, kEventClick, 1}}));
    EXPECT_EQ(list->GetCurSel(), 1);
}

TEST_F(CRecordListTest, EditedPauseIsKeptAndReportedUnlessAbandoned) {
    CRecordList* list = StepList(m_window);
    const auto pressReturn = [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Return); };
    const struct {
        const char* name;
        const char* typed;
        std::function<void(QLineEdit*)> finish;
        int delay;
        bool reported;
    } cases[] = {
        {"Return", "250", pressReturn, 250, true},
        {"focus leaves", "75", [](QLineEdit* e) { e->clearFocus(); }, 75, true},
        {"longest pause", "99999", pressReturn, 65535, true},
        {"digits only, five at most", "1x2-34567", pressReturn, 12345, true},
        {"Escape", "250", [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Escape); }, 20, false},
        {"emptied", "", pressReturn, 20, false},
    };
    const std::vector<RecordItem> initial = list->GetRecordItems();
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        list->SetRecordItems(initial);
        list->SetCurSel(-1);
        DoubleClick(list, QPoint(260, 45));
        QLineEdit* editor = list->GetEditor();
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->text(), QStringLiteral("20"));
        EXPECT_GE(editor->geometry().left(), 225);  // over the pause, not the event
        EXPECT_EQ(list->GetCurSel(), 1);
        m_window->events.clear();
        QTest::keyClick(editor, Qt::Key_Backspace);  // the old pause is selected: clear it
        QTest::keyClicks(editor, QString::fromLatin1(entry.typed));
        entry.finish(editor);
        Settle();
        EXPECT_EQ(list->GetEditor(), nullptr);
        EXPECT_EQ(Delays(list), (std::vector<int>{10, entry.delay, 30}));
        const std::vector<Event> reported{{kId, kEventEditFinished, 1}};
        EXPECT_EQ(m_window->events, entry.reported ? reported : std::vector<Event>());
    }
}

TEST_F(CRecordListTest, EditIsDroppedWhenRowsChangeMeanwhile) {
    CRecordList* list = StepList(m_window);
    const struct {
        const char* name;
        bool returnBeforeSync;
    } cases[] = {{"window catches up first", false}, {"Return comes first", true}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        list->EditDelay(2);
        QLineEdit* editor = list->GetEditor();
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("250"));
        std::thread worker([list] { list->AddString(QStringLiteral("B"), 0, 66, 5, 0); });
        worker.join();
        if (entry.returnBeforeSync) {
            ASSERT_EQ(list->GetEditor(), editor);
            QTest::keyClick(editor, Qt::Key_Return);
        }
        Settle();
        EXPECT_EQ(list->GetEditor(), nullptr);
        EXPECT_TRUE(m_window->events.empty());
        list->DeleteItem(0);
        EXPECT_EQ(Delays(list), (std::vector<int>{10, 20, 30}));
    }
}

TEST_F(CRecordListTest, WheelScrollsByRowsAndSelectionComesIntoView) {
    auto* list = m_window->CreateControlAs<CRecordList>(kId, QRect(10, 10, 300, 100));
    list->SetItemHeight(30);
    for (int i = 0; i < 10; ++i) {
        list->AddString(QStringLiteral("Step %1").arg(i), 2, 4 + i, 10);
    }
    Settle();
    const struct {
        int notches;
        int topRow;
    } cases[] = {{-1, 1}, {-2, 3}, {-20, 6}, {1, 5}, {50, 0}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.notches);
        Wheel(list, entry.notches);
        EXPECT_EQ(list->IndexAt(QPoint(5, 5)), entry.topRow);
    }
    list->SetCurSel(9);
    Settle();
    EXPECT_EQ(list->IndexAt(QPoint(5, 95)), 9);
    list->SetCurSel(2);
    Settle();
    EXPECT_EQ(list->IndexAt(QPoint(5, 5)), 2);
}

TEST_F(CRecordListTest, WorkerRecordsWhileTheWindowRepaints) {
    auto* list = m_window->CreateControlAs<CRecordList>(kId, QRect(10, 10, 300, 120));
    constexpr int kRounds = 300;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        for (int round = 0; round < kRounds; ++round) {
            list->UpdateDelayTime(round);
            list->AddString(QStringLiteral("Step %1").arg(round), 2 + round % 4, round, 0);
            if (list->GetItemCount() > 20) {
                list->DeleteItem(0);
            }
            list->SetCurSel(list->GetItemCount() - 1 - round % 3);
        }
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents();
        (void)m_window->grab();
    }
    worker.join();
    Settle();
    (void)m_window->grab();

    const std::vector<RecordItem> items = list->GetRecordItems();
    ASSERT_EQ(items.size(), 20u);
    EXPECT_EQ(items.back().text, QStringLiteral("Step %1").arg(kRounds - 1));
    EXPECT_EQ(items[18].delay, kRounds - 1);
    EXPECT_EQ(list->GetCurSel(), 19 - (kRounds - 1) % 3);
    // The last selection was scrolled into view.
    bool shown = false;
    for (int y = 0; y < 120; ++y) {
        shown = shown || list->IndexAt(QPoint(5, y)) == list->GetCurSel();
    }
    EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace zephyl::glint::test
