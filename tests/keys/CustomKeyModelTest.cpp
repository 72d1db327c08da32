// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/AssignmentKinds.h"
#include "keys/CustomKeyModel.h"
#include "keys/KeyTexts.h"
#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

using Target = CustomKeyModel::CaptureTarget;

class CustomKeyModelTest : public test::DatabaseTest {
protected:
    CustomKeyModel Model(int keyCode = 4, int layer = 0) {
        return CustomKeyModel(m_db, test::EnglishTexts(), keyCode, 1, layer);
    }
    KeyAssignment Stored(int keyCode = 4, int layer = 0) {
        KeyAssignment record;
        m_db.GetKeyAssignment(1, layer, keyCode, record);
        return record;
    }
};

TEST_F(CustomKeyModelTest, EachKindShowsItsOwnParts) {
    using P = CustomKeyModel::Part;
    struct Case {
        int kind;
        std::vector<P> shown;
    };
    const Case cases[] = {
        {kKindKey, {P::kTextField, P::kModifiers}},     {kKindCombination, {P::kCombination}},
        {kKindMacro, {P::kItems, P::kPlayMode}},        {kKindMouse, {P::kItems}},
        {kKindRunProgram, {P::kTextField, P::kBrowse}}, {kKindPasteText, {P::kTextField}},
    };
    auto model = Model();
    for (const auto& c : cases) {
        model.SelectKind(c.kind);
        for (P part : {P::kItems, P::kTextField, P::kModifiers, P::kPlayMode, P::kRepeat,
                       P::kCombination, P::kBrowse}) {
            const bool expected = std::find(c.shown.begin(), c.shown.end(), part) != c.shown.end();
            EXPECT_EQ(model.Shows(part), expected) << "kind " << c.kind << " part " << part;
        }
    }
    model.SelectKind(kKindMacro);
    model.SetPlayMode(kPlayRepeatCount);
    EXPECT_TRUE(model.Shows(P::kRepeat)) << "the repeat count only in mode 1";
    model.SelectKind(kKindMouse);
    EXPECT_EQ(model.Items().size(), MouseItems().size());
    EXPECT_EQ(model.SelectedItem(), 0) << "the first item is chosen";
}

TEST_F(CustomKeyModelTest, KeyWithModifiersIgnoresModifierKeysInItsField) {
    auto model = Model(4);
    model.StartCapture(Target::kKeyField);
    EXPECT_FALSE(model.OnCapturedKey(160, "Shift")) << "left Shift is a box, not a key";
    EXPECT_FALSE(model.OnCapturedKey(91, "Win"));
    EXPECT_TRUE(model.OnCapturedKey('A', "A"));
    EXPECT_EQ(model.CaptureText(Target::kKeyField), "A");
    model.SetModifiers(true, true, false, false);
    const auto result = model.Apply();
    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.outcome.commands, std::vector<int>{7});
    const KeyAssignment stored = Stored(4);
    EXPECT_EQ(stored.macro_type, kKindKey);
    EXPECT_EQ(stored.macro_value, 4);
    EXPECT_EQ(stored.macro_value2, 3);
    EXPECT_EQ(stored.macro_desc, "Shift+ Ctrl + A");
}

TEST_F(CustomKeyModelTest, CombinationTakesAnyKeysInOrder) {
    auto model = Model(5, 1);
    model.SelectKind(kKindCombination);
    model.StartCapture(Target::kCombination1);
    model.OnCapturedKey('A', "A");
    model.StartCapture(Target::kCombination2);
    model.OnCapturedKey(162, "Ctrl");
    model.StopCapture();
    EXPECT_FALSE(model.OnCapturedKey('C', "C")) << "no field captures";
    ASSERT_TRUE(model.Apply().accepted);
    const KeyAssignment stored = Stored(5, 1);
    EXPECT_EQ(stored.macro_type, kKindCombination);
    EXPECT_EQ(stored.macro_value, 4);
    EXPECT_EQ(stored.macro_value2, 224);
    EXPECT_EQ(stored.macro_desc, "A + Ctrl");
}

TEST_F(CustomKeyModelTest, MacroWithoutStepsKeepsTheDialogOpen) {
    const int empty = m_db.AddMacro("New Macro 1");
    const int full = m_db.AddMacro("Mine");
    MacroStep step;
    step.macro_id = full;
    step.type = 2;
    step.value = 'A';
    m_db.AddMacroStep(step);

    auto model = Model(6);
    model.SelectKind(kKindMacro);
    ASSERT_EQ(model.Items().size(), 2u);
    EXPECT_EQ(model.Items()[0].value, empty);
    model.SelectItem(0);
    const auto refused = model.Apply();
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.outcome.messageText, kTextMacroWithoutSteps);
    EXPECT_EQ(Stored(6).key_id, 0);

    model.SelectItem(1);
    model.SetPlayMode(kPlayRepeatCount);
    model.SetRepeatText("300");
    ASSERT_TRUE(model.Apply().accepted);
    EXPECT_EQ(Stored(6).macro_value, full);
    EXPECT_EQ(Stored(6).macro_value3, 255) << "repeat counts stop at 255";
}

TEST_F(CustomKeyModelTest, HostActionsNeedTextOrAnExistingProgram) {
    auto model = Model(7);
    model.SelectKind(kKindOpenAddress);
    EXPECT_FALSE(model.Apply().accepted) << "empty text: nothing stored, dialog stays";
    model.SetFieldText("example.com");
    ASSERT_TRUE(model.Apply().accepted);
    const KeyAssignment stored = Stored(7);
    EXPECT_EQ(stored.macro_type, kKindOpenAddress);
    std::string description, parameter;
    int type = 0;
    ASSERT_TRUE(m_db.GetHostAction(stored.macro_value, description, parameter, type));
    EXPECT_EQ(description, "example.com");
    EXPECT_EQ(type, kKindOpenAddress);

    model.SelectKind(kKindRunProgram);
    EXPECT_FALSE(model.ChooseProgram(DataFolder() + "no-such-program"));
    EXPECT_FALSE(model.Apply().accepted) << "no program chosen";
    const auto program = test::WriteFile(m_environment.Root() / "bin" / "tool", "#!/bin/sh\n");
    ASSERT_TRUE(model.ChooseProgram(program.string()));
    EXPECT_EQ(model.FieldText(), "tool");
    ASSERT_TRUE(model.Apply().accepted);
    ASSERT_TRUE(m_db.GetHostAction(Stored(7).macro_value, description, parameter, type));
    EXPECT_EQ(parameter, program.string());
}

}  // namespace
}  // namespace zephyl
