// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/ProfileList.h"

#include "app/KeySelection.h"
#include "app/WorkerCommand.h"
#include "KeysTestSupport.h"

#include <gtest/gtest.h>

namespace zephyl {
namespace {

class ProfileListTest : public test::DatabaseTest {
protected:
    KeySelection m_selection;
    ProfileList m_list{m_db, test::EnglishTexts(), m_selection};

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& entry : m_list.Entries()) {
            texts.push_back(entry.text);
        }
        return texts;
    }
};

TEST_F(ProfileListTest, FirstFillingHappensOnce) {
    m_list.LoadProfilePage();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"My Config 1", "My Config 2", "My Config 3"}));
    EXPECT_EQ(m_list.Entries()[2].id, 3);
    EXPECT_EQ(m_list.CurrentProfile(), 1);
    EXPECT_EQ(m_list.SelectedIndex(), 0);
    std::string value;
    EXPECT_TRUE(m_db.GetConfigValue(1, "fn_switch", value));

    // Choosing another profile is remembered for the next load (the next start shows the
    // profile the keyboard was given); nothing new is created.
    m_list.SelectProfileEntry(2);
    EXPECT_EQ(m_list.CurrentProfile(), 3);
    m_list.LoadProfilePage();
    EXPECT_EQ(m_list.Entries().size(), 3u);
    EXPECT_EQ(m_list.CurrentProfile(), 3);
    EXPECT_EQ(m_list.SelectedIndex(), 2);
    EXPECT_EQ(m_db.GetActiveProfile(), 3);
}

TEST_F(ProfileListTest, SelectionWritesTheProfilesLayers) {
    m_list.LoadProfilePage();
    const PageOutcome chosen = m_list.SelectProfileEntry(1);
    EXPECT_EQ(chosen.commands, std::vector<int>{kCommandWriteKeyLayers});
    EXPECT_TRUE(chosen.showWaitDialog);
    EXPECT_EQ(m_list.CurrentProfile(), 2);
    const PageOutcome none = m_list.SelectProfileEntry(-1);
    EXPECT_TRUE(none.commands.empty());
    EXPECT_FALSE(m_list.PictureEnabled());
    EXPECT_EQ(m_list.CurrentProfile(), 2);
}

TEST_F(ProfileListTest, NewAndDeleteNumbering) {
    m_list.LoadProfilePage();
    m_list.SelectProfileEntry(1);
    EXPECT_EQ(m_list.DeleteSelectedProfile().commands, std::vector<int>{kCommandWriteKeyLayers});
    // The entry before the deleted one is selected and current.
    EXPECT_EQ(m_list.SelectedIndex(), 0);
    EXPECT_EQ(m_list.CurrentProfile(), 1);
    const PageOutcome added = m_list.NewProfile();
    EXPECT_EQ(added.commands, std::vector<int>{kCommandWriteKeyLayers});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"My Config 1", "My Config 3", "My Config 3"}));
    EXPECT_EQ(m_list.CurrentProfile(), 4);
    EXPECT_EQ(m_list.SelectedIndex(), 2);

    // The first entry has none before it: the one after it takes its place.
    m_list.SelectProfileEntry(0);
    m_list.DeleteSelectedProfile();
    EXPECT_EQ(m_list.SelectedIndex(), 0);
    EXPECT_EQ(m_list.CurrentProfile(), 3);
    m_list.DeleteSelectedProfile();
    EXPECT_EQ(m_list.CurrentProfile(), 4);
    // The last profile stays.
    EXPECT_TRUE(m_list.DeleteSelectedProfile().commands.empty());
    EXPECT_EQ(m_list.Entries().size(), 1u);
    std::vector<Profile> rows;
    EXPECT_EQ(m_db.ListProfiles(rows), 1);
}

TEST_F(ProfileListTest, DeletingTheActiveProfileMakesItsSuccessorActive) {
    m_list.LoadProfilePage();
    m_list.DeleteSelectedProfile();
    EXPECT_EQ(m_list.CurrentProfile(), 2);
    m_list.LoadProfilePage();
    EXPECT_EQ(m_list.CurrentProfile(), 2);
    EXPECT_EQ(m_list.SelectedIndex(), 0);
    // A new profile is current and active too.
    m_list.NewProfile();
    m_list.LoadProfilePage();
    EXPECT_EQ(m_list.CurrentProfile(), m_list.Entries().back().id);
}

TEST_F(ProfileListTest, DeletingOrRenamingAnotherProfileLeavesTheCurrentOne) {
    m_list.LoadProfilePage();
    for (int i = 0; i < 3; ++i) {
        m_list.NewProfile();
    }
    ASSERT_EQ(m_list.CurrentProfile(), 6);
    const PageOutcome deleted = m_list.DeleteProfileEntry(1);  // profile 2
    EXPECT_TRUE(deleted.changed);
    EXPECT_TRUE(deleted.commands.empty()) << "the keyboard keeps its tables";
    EXPECT_EQ(m_list.CurrentProfile(), 6);
    EXPECT_EQ(m_list.Entries()[static_cast<size_t>(m_list.SelectedIndex())].id, 6);
    EXPECT_TRUE(m_list.RenameProfileEntry(1, "Spare").changed);  // profile 3
    EXPECT_EQ(m_list.CurrentProfile(), 6);
    m_list.LoadProfilePage();
    EXPECT_EQ(m_list.CurrentProfile(), 6) << "and stays active for the next start";
    EXPECT_EQ(Texts()[1], "Spare");

    // A key's profile switch moved the current profile away from the selected entry: deleting
    // that entry keeps the switched-to profile and selects it.
    m_list.SelectProfileEntry(0);
    m_list.SetCurrentProfile(4);
    EXPECT_TRUE(m_list.DeleteSelectedProfile().commands.empty());
    EXPECT_EQ(m_list.CurrentProfile(), 4);
    EXPECT_EQ(m_list.Entries()[static_cast<size_t>(m_list.SelectedIndex())].id, 4);
}

TEST_F(ProfileListTest, RenamingStoresTheEditedTextAndRefusesNothing) {
    m_list.LoadProfilePage();
    m_list.SelectProfileEntry(1);
    const PageOutcome refused = m_list.FinishProfileRename("");
    EXPECT_EQ(refused.messageText, 914);
    EXPECT_EQ(refused.messageCaption, 52);
    EXPECT_EQ(Texts()[1], "My Config 2");
    EXPECT_TRUE(m_list.FinishProfileRename("Work").changed);
    std::string stored;
    ASSERT_TRUE(m_db.GetProfileName(2, stored));
    EXPECT_EQ(stored, "Work");
    EXPECT_EQ(Texts()[1], "Work");
}

TEST_F(ProfileListTest, StoredDefaultNamesAreShownInTheCurrentLanguage) {
    m_db.AddProfile("Моя конфигурация 7", "");
    m_db.AddProfile("我的專屬配寘", "");
    m_db.AddProfile("My Conf", "");
    m_db.MarkFirstProfileActive();
    m_list.LoadProfilePage();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"My Config 7", "My Config", "My Conf"}));
}

}  // namespace
}  // namespace zephyl
