// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/KeyboardLayout.h"
#include "lighting/CustomLightEffects.h"
#include "lighting/CustomLightEngine.h"

#include <gtest/gtest.h>

#include <vector>

namespace zephyl {
namespace {

constexpr std::uint32_t kGreen = 0x00FF00;
constexpr KeyPlace kLeft{0, 500};

KeyLook At(int mode, std::int64_t timeMs, int speed = 15, KeyPlace place = kLeft,
           int colourType = 0, int lightType = 0) {
    return EvaluateKeyEffect({mode, kGreen, lightType, colourType}, place, speed, timeMs);
}

TEST(CustomLightEffectsTest, EachEffectLooksLikeItsName) {
    const int period = EffectPeriodMs(15);
    const struct {
        const char* what;
        KeyLook look;
        KeyLook expected;
    } cases[] = {
        {"off is dark", At(kCustomLightOff, 123), {}},
        {"always on stays lit in its colour", At(kCustomLightAlwaysOn, 777), {kGreen, 255, true}},
        {"breathing starts dark", At(kCustomLightBreathing, 0), {kGreen, 0, true}},
        {"breathing is full half way", At(kCustomLightBreathing, period / 2), {kGreen, 255, true}},
        {"flash is on in its first half", At(kCustomLightFlash, period / 4), {kGreen, 255, true}},
        {"flash is off in its second half", At(kCustomLightFlash, period * 3 / 4), {}},
        {"fade out starts full", At(kCustomLightFadeOut, 0), {kGreen, 255, true}},
        {"fade out dims", At(kCustomLightFadeOut, period / 2), {kGreen, 128, true}},
        {"a reaction lights at once", At(kCustomLightReactive, 0), {kGreen, 255, true}},
        {"a reaction has died away", At(kCustomLightReactive, period * 2), {}},
        {"spectrum starts red", At(kCustomLightSpectrum, 0), {0x0000FF, 255, true}},
        {"spectrum is blue two thirds on",
         At(kCustomLightSpectrum, period * 2 * 2 / 3),
         {0xFF0000, 255, true}},
        {"wave crest on the left at the start", At(kCustomLightWave, 0), {kGreen, 255, true}},
        {"ripple ring at the middle at the start",
         At(kCustomLightRipple, 0, 15, {500, 500}),
         {kGreen, 255, true}},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(entry.look, entry.expected) << entry.what;
    }
}

TEST(CustomLightEffectsTest, SpeedPlaceAndLightTypeDriveTheAnimation) {
    EXPECT_GT(EffectPeriodMs(0), EffectPeriodMs(15));
    // The same moment of a breath: half way at the fast speed, early at the slow one.
    EXPECT_GT(At(kCustomLightBreathing, EffectPeriodMs(15) / 2, 15).level,
              At(kCustomLightBreathing, EffectPeriodMs(15) / 2, 0).level);
    // The crest reaches the middle of the keyboard half a cycle after the left side.
    EXPECT_LT(At(kCustomLightWave, 0, 15, {500, 500}).level, 5);
    // light_type starts a key's cycle early, in sixteenths.
    EXPECT_EQ(At(kCustomLightBreathing, 0, 15, kLeft, 0, 8).level, 255);
    // Multicolour keys take their colours from the hues, whatever colour they were given.
    EXPECT_EQ(At(kCustomLightAlwaysOn, 0, 15, kLeft, 1).colour, 0x0000FFu);
    EXPECT_EQ(HueColour(120), 0x00FF00u);
    EXPECT_EQ(HueColour(-120), 0xFF0000u);
}

TEST(CustomLightEffectsTest, EffectsHideTheirControls) {
    EXPECT_EQ(EffectHiddenControls(kCustomLightAlwaysOn),
              kHideSpeed | kHideColourButton | kHideMulticolour | kClearMulticolour);
    EXPECT_EQ(EffectHiddenControls(kCustomLightSpectrum), kHideColourButton | kHideMulticolour);
    EXPECT_EQ(EffectHiddenControls(kCustomLightOff), kHideWholeGroup);
    for (int mode : {4, 7, 9, 10, 11, 12}) {
        EXPECT_EQ(EffectHiddenControls(mode), kHideNothing) << mode;
    }
}

std::vector<LayoutKey> ThreeKeys() {
    std::vector<LayoutKey> keys(3);
    const int codes[] = {4, 26, 30};
    for (int i = 0; i < 3; ++i) {
        keys[i].code = codes[i];
        keys[i].lightIndex = 10 + i;
        keys[i].rect = {i * 100, 0, i * 100 + 50, 50};
    }
    return keys;
}

TEST(CustomLightEngineTest, SnapshotsFollowTheKeysAndStayWholeAfterLaterSteps) {
    CustomLightEngine engine;
    engine.SetKeys(ThreeKeys());
    const int both[] = {4, 30};
    engine.SetKeyLightMode(both, kCustomLightFlash);
    engine.SetCheckKeyColor(both, 0x123456, 0);
    EXPECT_EQ(engine.KeyInfo(30)->lightType, 1) << "keys given an effect together take turns";

    const auto before = engine.Snapshot();
    ASSERT_EQ(before->lights.size(), 3u);
    EXPECT_EQ(before->codes, (std::vector<int>{4, 26, 30}));
    EXPECT_EQ(before->lights[0].lightIndex, 10);
    EXPECT_TRUE(before->lights[0].lit);
    EXPECT_EQ(before->lights[0].colour, 0x123456u);
    EXPECT_FALSE(before->lights[1].lit) << "a key without an effect is dark";

    engine.Advance(EffectPeriodMs(engine.Speed()) * 3 / 4);
    const auto after = engine.Snapshot();
    EXPECT_GT(after->sequence, before->sequence);
    EXPECT_FALSE(after->lights[0].lit);
    EXPECT_TRUE(before->lights[0].lit) << "a snapshot taken is never changed";

    engine.ResetAllKeyInfo();
    EXPECT_FALSE(engine.Snapshot()->lights[2].lit);
}

}  // namespace
}  // namespace zephyl
