// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyCapture.h"
#include "keys/KeyCodes.h"
#include "keys/KeyEventTranslator.h"
#include "keys/LinuxKeyTable.h"

#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <set>
#include <utility>

namespace zephyl {
namespace {

TEST(LinuxKeyTableTest, EveryKeyOnceAndEveryKeyboardKeyReachesTheKeyboard) {
    std::set<int> codes;
    std::set<std::pair<int, bool>> scanCodes;
    for (const LinuxKeyMapping& mapping : LinuxKeyMappings()) {
        EXPECT_TRUE(codes.insert(mapping.linuxCode).second) << mapping.linuxCode;
        EXPECT_NE(mapping.virtualKey, 0) << mapping.linuxCode;
        EXPECT_FALSE(std::string(mapping.name).empty()) << mapping.linuxCode;
        // Two keys with one make code would be told apart by nothing (the media player key has
        // two Linux codes).
        if (mapping.linuxCode != KEY_MEDIA) {
            EXPECT_TRUE(scanCodes.insert({mapping.scanCode, mapping.extended}).second)
                << mapping.linuxCode;
        }
    }
    // The keys of a full-size keyboard all have a usage once captured and adjusted.
    for (int code = KEY_ESC; code <= KEY_KPDOT; ++code) {
        const LinuxKeyMapping* mapping = FindLinuxKey(code);
        ASSERT_NE(mapping, nullptr) << code;
        const int vk = AdjustCapturedCode(0, mapping->virtualKey, mapping->scanCode,
                                          mapping->extended ? kFlagExtended : 0);
        EXPECT_NE(VirtualKeyToUsage(vk), 0) << code;
    }
    for (int code :
         {KEY_102ND, KEY_F11,      KEY_F12,       KEY_KPENTER,  KEY_RIGHTCTRL, KEY_KPSLASH,
          KEY_SYSRQ, KEY_RIGHTALT, KEY_HOME,      KEY_UP,       KEY_PAGEUP,    KEY_LEFT,
          KEY_RIGHT, KEY_END,      KEY_DOWN,      KEY_PAGEDOWN, KEY_INSERT,    KEY_DELETE,
          KEY_PAUSE, KEY_LEFTMETA, KEY_RIGHTMETA, KEY_COMPOSE,  KEY_F13,       KEY_F24}) {
        const LinuxKeyMapping* mapping = FindLinuxKey(code);
        ASSERT_NE(mapping, nullptr) << code;
        const int vk = AdjustCapturedCode(0, mapping->virtualKey, mapping->scanCode,
                                          mapping->extended ? kFlagExtended : 0);
        EXPECT_NE(VirtualKeyToUsage(vk), 0) << code;
    }
    EXPECT_EQ(FindLinuxKey(KEY_RO), nullptr);
}

TEST(LinuxKeyTableTest, NumLockChangesOnlyTheKeypad) {
    const struct {
        int code;
        int on;
        int off;
    } cases[] = {{KEY_KP7, 103, 36},   {KEY_KP5, 101, 12},     {KEY_KP0, 96, 45},
                 {KEY_KPDOT, 110, 46}, {KEY_KPPLUS, 107, 107}, {KEY_HOME, 36, 36},
                 {KEY_A, 'A', 'A'},    {KEY_RO, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(LinuxKeyToVirtualKey(c.code, true), c.on) << c.code;
        EXPECT_EQ(LinuxKeyToVirtualKey(c.code, false), c.off) << c.code;
    }
    EXPECT_EQ(LinuxKeyForVirtualKey(36), KEY_HOME);
    EXPECT_EQ(LinuxKeyForVirtualKey(103), KEY_KP7);
    EXPECT_EQ(LinuxKeyForVirtualKey(12), KEY_KP5);
    EXPECT_EQ(LinuxKeyForVirtualKey(108), KEY_KPENTER);
    EXPECT_EQ(LinuxKeyForVirtualKey(16), 0);
}

TEST(KeyEventTranslatorTest, FlagsAndMessages) {
    KeyEventTranslator translator(/*numLockOn=*/false);
    struct Step {
        int code;
        int value;
        int message;
        int vk;
        int scan;
        int flags;
    };
    const Step steps[] = {
        {KEY_KP7, 1, kMessageKeyDown, 36, 71, 0},  // keypad 7 without Num Lock: Home, plain
        {KEY_KP7, 0, kMessageKeyUp, 36, 71, kFlagReleased},
        {KEY_HOME, 1, kMessageKeyDown, 36, 71, kFlagExtended},
        {KEY_KPENTER, 1, kMessageKeyDown, 13, 28, kFlagExtended},
        {KEY_KPENTER, 0, kMessageKeyUp, 13, 28, kFlagExtended | kFlagReleased},
        {KEY_LEFTALT, 1, kMessageSysKeyDown, 164, 56, kFlagAltDown},
        {KEY_A, 1, kMessageSysKeyDown, 'A', 30, kFlagAltDown},
        {KEY_A, 2, kMessageSysKeyDown, 'A', 30, kFlagAltDown},  // auto-repeat: another press
        {KEY_A, 0, kMessageSysKeyUp, 'A', 30, kFlagAltDown | kFlagReleased},
        {KEY_LEFTALT, 0, kMessageSysKeyUp, 164, 56, kFlagReleased},
        {KEY_NUMLOCK, 1, kMessageKeyDown, 144, 69, kFlagExtended},
        {KEY_NUMLOCK, 0, kMessageKeyUp, 144, 69, kFlagExtended | kFlagReleased},
        {KEY_KP7, 1, kMessageKeyDown, 103, 71, 0},  // Num Lock now on
        {KEY_PAUSE, 1, kMessageKeyDown, 19, 69, 0},
        {KEY_RIGHTCTRL, 1, kMessageKeyDown, 163, 29, kFlagExtended},
        {KEY_RIGHTALT, 1, kMessageKeyDown, 165, 56, kFlagExtended | kFlagAltDown},  // AltGr
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "code " << s.code << " value " << s.value);
        const auto event = translator.Translate(s.code, s.value, 5);
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->message, s.message);
        EXPECT_EQ(event->virtualKey, s.vk);
        EXPECT_EQ(event->scanCode, s.scan);
        EXPECT_EQ(event->flags, s.flags);
        EXPECT_EQ(event->timeMs, 5);
    }
    EXPECT_FALSE(translator.Translate(KEY_RO, 1, 0).has_value());
    EXPECT_FALSE(translator.Translate(KEY_A, 3, 0).has_value());
}

TEST(KeyCaptureTest, AdjustedCodes) {
    const struct {
        int direction;
        int vk;
        int scan;
        int flags;
        int code;
    } cases[] = {
        {0, 36, 71, 0, 103},  // keypad 7, Num Lock off
        {1, 36, 71, kFlagReleased, 103},
        {0, 46, 83, 0, 110},  // keypad decimal, Num Lock off
        {0, 45, 82, 0, 96},
        {0, 103, 71, 0, 103},            // Num Lock on: unchanged meaning
        {0, 36, 71, kFlagExtended, 36},  // the Home key itself
        {0, 36, 71, kFlagAltDown, 36},   // Alt held: no adjustment
        {0, 36, 71, kFlagInjected, 36},
        {0, 13, 28, kFlagExtended, 108},  // keypad Enter
        {1, 13, 28, kFlagExtended | kFlagReleased, 108},
        {0, 13, 28, 0, 13},  // main Enter
        {0, 13, 28, kFlagExtended | kFlagAltDown, 13},
        {0, 'A', 30, 0, 'A'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AdjustCapturedCode(c.direction, c.vk, c.scan, c.flags), c.code)
            << c.direction << " " << c.vk << " " << c.scan << " " << c.flags;
    }
    // An undefined value of the adjustment: a plain release carries exactly 0x80.
    EXPECT_EQ(AdjustCapturedCode(1, 36, 71, 0), 36);
}

TEST(KeyCaptureTest, AssignmentDialogTakesPressesOnly) {
    auto press = [](int vk) { return HookKeyEvent{kMessageKeyDown, vk, 0, 0, 0}; };
    const auto key = OnDialogKeyEvent(press('A'), DialogCaptureField::kKey);
    EXPECT_TRUE(key.consumed);
    ASSERT_TRUE(key.key.has_value());
    EXPECT_EQ(key.key->virtualKey, 'A');
    EXPECT_EQ(key.key->text, "A");

    for (int modifier : {160, 161, 162, 163, 164, 165, 91, 92}) {
        const auto ignored = OnDialogKeyEvent(press(modifier), DialogCaptureField::kKey);
        EXPECT_TRUE(ignored.consumed);
        EXPECT_FALSE(ignored.key.has_value()) << modifier;
        EXPECT_TRUE(
            OnDialogKeyEvent(press(modifier), DialogCaptureField::kCombination).key.has_value())
            << modifier;
    }
    // Keypad keys reach the dialog as the system reports them, without the macro page's
    // adjustment.
    const auto home = OnDialogKeyEvent(HookKeyEvent{kMessageSysKeyDown, 36, 71, 0, 0},
                                       DialogCaptureField::kCombination);
    ASSERT_TRUE(home.key.has_value());
    EXPECT_EQ(home.key->virtualKey, 36);

    const auto release =
        OnDialogKeyEvent(HookKeyEvent{kMessageKeyUp, 'A', 0, 0x80, 0}, DialogCaptureField::kKey);
    EXPECT_TRUE(release.consumed);
    EXPECT_FALSE(release.key.has_value());
    EXPECT_FALSE(
        OnDialogKeyEvent(HookKeyEvent{512, 'A', 0, 0, 0}, DialogCaptureField::kKey).consumed);
}

}  // namespace
}  // namespace zephyl
