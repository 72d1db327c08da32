// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/AssignmentKinds.h"
#include "keys/KeySending.h"
#include "keys/MacroSending.h"
#include "keys/MacroStepRow.h"

#include "FakeKeyboard.h"
#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

using test::FakeTransport;
using test::Hex;

std::string Head(const std::vector<uint8_t>& report, size_t count = 9) {
    return Hex(report, 0, count);
}

class SendingTest : public test::DatabaseTest {
protected:
    SendingTest() {
        m_layout.keyIndexMap = {{4, 1}, {5, 2}, {175, 3}};
        m_layout.fnLockedKeys = {{175, 1}};
        m_layout.secondFnLayer = true;
    }

    void Assign(int layer, int key, KeyAssignment record) {
        record.profile = 1;
        record.fn_layer = layer;
        record.key_code = key;
        ASSERT_GT(m_db.SaveKeyAssignment(record), 0);
    }

    KeyboardLayout m_layout;
    std::vector<int> m_pauses;
    PauseFunction Pauses() {
        return [this](int ms) { m_pauses.push_back(ms); };
    }
};

TEST_F(SendingTest, CableWritesEvenAnEmptyLayer) {
    FakeTransport t(false);
    const PreparedKeyTable prepared = PrepareKeyTable(m_db, m_layout, 1, 1);
    EXPECT_FALSE(prepared.hasAssignments);
    EXPECT_TRUE(SendKeyTable(t.manager, 1, prepared.build.table));
    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 2u + 9u + 2u);
    EXPECT_EQ(Head(sent[0]), "04 18 00 00 00 00 00 00 00");
    EXPECT_EQ(Head(sent[1]), "04 27 00 00 00 00 00 00 09");
    for (size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(Hex(sent[2 + i], 0, 64), Hex(prepared.build.table, 64 * i, 64));
    }
    EXPECT_EQ(Hex(sent[10], 62, 2), "AA 55");
    EXPECT_EQ(Head(sent[11]), "04 02 00 00 00 00 00 00 00");
    EXPECT_EQ(Head(sent[12]), "04 F0 00 00 00 00 00 00 00");
}

TEST_F(SendingTest, CableLayerWithALockedKeyStillCarriesTheOthers) {
    Assign(0, 4, CombinationRecord({CombinationKey{'A', "A"}, std::nullopt, std::nullopt}));
    Assign(0, 175, DisableRecord("off"));
    FakeTransport t(false);
    const PreparedKeyTable prepared = PrepareKeyTable(m_db, m_layout, 1, 0);
    EXPECT_EQ(prepared.build.skippedKeys, std::vector<int>{175});
    SendKeyTable(t.manager, 0, prepared.build.table);
    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 13u);
    EXPECT_EQ(Head(sent[1]), "04 11 00 00 00 00 00 00 09");
    EXPECT_EQ(Hex(sent[2], 0, 16), "00 00 00 00 07 04 00 00 00 00 00 00 00 00 00 00");
}

// A profile without remaps must clear the previous profile's table in the keyboard.
TEST_F(SendingTest, ReceiverSendsAnEmptyLayerAsTheEmptyTableItIs) {
    FakeTransport t(true);
    const PreparedKeyTable prepared = PrepareKeyTable(m_db, m_layout, 1, 0);
    EXPECT_FALSE(prepared.hasAssignments);
    EXPECT_TRUE(SendKeyTableReceiver(t.manager, 0, prepared, Pauses()));
    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 21u);
    EXPECT_EQ(Head(sent[0], 3), "10 1C 00");
    EXPECT_EQ(Hex(sent[0], 3, 13), "00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(Head(sent[20], 3), "10 10 14");
    EXPECT_EQ(Hex(sent[20], 17, 2), "AA 55");
}

TEST_F(SendingTest, ReceiverSendsTheTableInPieces) {
    Assign(1, 5, FunctionRecord(504, 0, 0, "Play"));
    FakeTransport t(true);
    const PreparedKeyTable prepared = PrepareKeyTable(m_db, m_layout, 1, 1);
    EXPECT_TRUE(SendKeyTableReceiver(t.manager, 1, prepared, Pauses()));
    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 21u);
    EXPECT_EQ(Hex(sent[0], 0, 16), "12 1C 00 00 00 00 00 00 00 00 00 03 CD 00 00 00");  // slot 2
    EXPECT_EQ(Head(sent[20], 3), "12 10 14");
    EXPECT_EQ(Hex(sent[20], 17, 2), "AA 55");
    // The checksum over the 65-byte buffer travels at frame byte 32.
    uint8_t sum = 0;
    for (size_t i = 0; i < 31; ++i) {
        sum = static_cast<uint8_t>(sum + sent[0][i]);
    }
    EXPECT_EQ(sent[0][31], sum);
    EXPECT_EQ(m_pauses, std::vector<int>(20, 2));
}

TEST_F(SendingTest, ReceiverSlotOfARestoredKeyIsItsOwnFunction) {
    Assign(0, 5, FunctionRecord(504, 0, 0, "Play"));
    FakeTransport t(true);
    SendKeySlotReceiver(t.manager, 0, PrepareKeySlot(m_db, m_layout, 1, 0, 5));
    KeyAssignment restore = OwnFunctionRecord();
    restore.profile = 1;
    restore.key_code = 5;
    EXPECT_EQ(m_db.SaveKeyAssignment(restore), 0);
    SendKeySlotReceiver(t.manager, 0, PrepareKeySlot(m_db, m_layout, 1, 0, 5));
    // The locked key keeps its own function; an unselected key sends nothing.
    Assign(1, 175, DisableRecord("off"));
    SendKeySlotReceiver(t.manager, 1, PrepareKeySlot(m_db, m_layout, 1, 1, 175));
    EXPECT_FALSE(SendKeySlotReceiver(t.manager, 0, PrepareKeySlot(m_db, m_layout, 1, 0, 0)));
    EXPECT_FALSE(SendKeySlotReceiver(t.manager, 0, PrepareKeySlot(m_db, m_layout, 1, 0, 99)));

    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(Head(sent[0], 8), "03 04 02 03 CD 00 00 00");
    EXPECT_EQ(Head(sent[1], 8), "03 04 02 02 00 05 00 00");
    EXPECT_EQ(Head(sent[2], 8), "0D 04 03 02 00 AF 00 00");
}

void AddTwoMacros(ProfileDatabase& db) {
    const int first = db.AddMacro("M1");
    db.AddMacro("M2");
    MacroStep down;
    down.macro_id = first;
    down.type = kStepKeyDown;
    down.value = 'A';
    MacroStep up = down;
    up.type = kStepKeyUp;
    up.record_index = 1;
    up.delay_time = 25;
    db.AddMacroSteps({down, up});
}

TEST_F(SendingTest, MacrosOverTheCable) {
    AddTwoMacros(m_db);
    FakeTransport t(false);
    EXPECT_EQ(SendMacros(t.manager, kModeCable, PrepareMacros(m_db), Pauses()), MacroUpload::kSent);
    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 2u + 8u + 1u);
    EXPECT_EQ(Head(sent[0]), "04 19 00 00 00 00 00 00 00");
    EXPECT_EQ(Head(sent[1]), "04 15 00 00 00 00 00 00 08");
    EXPECT_EQ(Hex(sent[2], 0, 8), "90 01 00 00 FF FF FF FF");
    EXPECT_EQ(Hex(sent[8], 16, 8), "04 00 00 00 00 00 00 00");
    EXPECT_EQ(Hex(sent[9], 62, 2), "AA 55");
    EXPECT_EQ(Head(sent[10]), "04 02 00 00 00 00 00 00 00");
    EXPECT_EQ(m_pauses, (std::vector<int>{30, 30}));
}

TEST_F(SendingTest, MacrosOverTheReceiver) {
    AddTwoMacros(m_db);
    FakeTransport t(true);
    EXPECT_EQ(SendMacros(t.manager, kModeReceiver, PrepareMacros(m_db), Pauses()),
              MacroUpload::kSent);
    const auto& sent = t.keyboard.m_sent;
    ASSERT_EQ(sent.size(), 17u);
    EXPECT_EQ(Head(sent[0], 7), "09 1C 00 90 01 00 00");
    EXPECT_EQ(Head(sent[16], 3), "09 04 10");
    EXPECT_EQ(Hex(sent[16], 29, 2), "AA 55");
    EXPECT_EQ(m_pauses, std::vector<int>(16, 2));
}

TEST_F(SendingTest, MacroSetsBeyondTheLimitsAreNotSent) {
    const int id = m_db.AddMacro("Big");
    std::vector<MacroStep> steps(400);
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i].macro_id = id;
        steps[i].type = kStepRepeat;
        steps[i].record_index = static_cast<int>(i);
    }
    m_db.AddMacroSteps(steps);
    {
        FakeTransport t(false);
        EXPECT_EQ(SendMacros(t.manager, kModeCable, PrepareMacros(m_db), Pauses()),
                  MacroUpload::kTooLarge);
        EXPECT_TRUE(t.keyboard.m_sent.empty());
    }
    {
        // 8 × 401 = 3208: too much for the cable, fine for the receiver.
        FakeTransport t(true);
        EXPECT_EQ(SendMacros(t.manager, kModeReceiver, PrepareMacros(m_db), Pauses()),
                  MacroUpload::kSent);
        EXPECT_EQ(t.keyboard.m_sent.size(), (400u + 8 + 400 * 4 + 27) / 28 + 1);
    }
    FakeTransport t(false);
    EXPECT_EQ(SendMacros(t.manager, kModeBluetooth, PrepareMacros(m_db), Pauses()),
              MacroUpload::kNotSent);
}

TEST_F(SendingTest, UnansweredFramesAreReportedButTheRestIsSent) {
    AddTwoMacros(m_db);
    FakeTransport t(true);
    t.keyboard.m_unansweredFrames = 1;
    EXPECT_EQ(SendMacros(t.manager, kModeReceiver, PrepareMacros(m_db), Pauses()),
              MacroUpload::kFailed);
    EXPECT_GE(t.keyboard.m_sent.size(), 17u);
}

}  // namespace
}  // namespace zephyl
