// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zephyl::test {
namespace {

// Before any model is selected, or after its file could not be opened, every operation must
// fail quietly in the way its callers expect: no id, no count, no row, an emptied list.
struct Operation {
    const char* name;
    std::function<bool(ProfileDatabase&)> failsQuietly;
};

// Runs a list operation on a list that already holds a record.
template <typename Record>
bool EmptiesList(const std::function<int(std::vector<Record>&)>& list) {
    std::vector<Record> records(1);
    return list(records) == 0 && records.empty();
}

const std::vector<Operation> kOperations = {
    {"SetConfigValue", [](ProfileDatabase& db) { return !db.SetConfigValue(1, "k", "v"); }},
    {"GetConfigValue",
     [](ProfileDatabase& db) {
         std::string value = "old";
         return !db.GetConfigValue(1, "version", value) && value.empty();
     }},
    {"AddProfile", [](ProfileDatabase& db) { return db.AddProfile("p", "") == 0; }},
    {"DeleteProfile", [](ProfileDatabase& db) { return !db.DeleteProfile(1); }},
    {"RenameProfile", [](ProfileDatabase& db) { return !db.RenameProfile(1, "n"); }},
    {"GetProfileName",
     [](ProfileDatabase& db) {
         std::string name = "old";
         return !db.GetProfileName(1, name) && name.empty();
     }},
    {"ListProfiles",
     [](ProfileDatabase& db) {
         return EmptiesList<Profile>([&](auto& list) { return db.ListProfiles(list); });
     }},
    {"MarkFirstProfileActive", [](ProfileDatabase& db) { return !db.MarkFirstProfileActive(); }},
    {"GetActiveProfile", [](ProfileDatabase& db) { return db.GetActiveProfile() == 0; }},
    {"PrepareProfiles",
     [](ProfileDatabase& db) {
         return EmptiesList<Profile>(
             [&](auto& list) { return db.PrepareProfiles("My Config", list); });
     }},
    {"SaveKeyAssignment",
     [](ProfileDatabase& db) {
         return db.SaveKeyAssignment(KeyAssignment{0, 1, 0, 4, 0, "", 2, 5, 0, 0, ""}) == 0;
     }},
    {"GetKeyAssignment",
     [](ProfileDatabase& db) {
         KeyAssignment record;
         return !db.GetKeyAssignment(1, 0, 4, record);
     }},
    {"ListKeyAssignments",
     [](ProfileDatabase& db) {
         return EmptiesList<KeyAssignment>(
             [&](auto& list) { return db.ListKeyAssignments(1, 0, list); });
     }},
    {"AddHostAction", [](ProfileDatabase& db) { return db.AddHostAction("d", "p", 8) == 0; }},
    {"GetHostAction",
     [](ProfileDatabase& db) {
         std::string desc = "d", param = "p";
         int type = 9;
         return db.GetHostAction(1, desc, param, type) && desc == "d" && param == "p" && type == 9;
     }},
    {"AddMacro", [](ProfileDatabase& db) { return db.AddMacro("m") == 0; }},
    {"AddMacroWithSettings", [](ProfileDatabase& db) { return db.AddMacroWithSettings({}) == 0; }},
    {"RenameMacro", [](ProfileDatabase& db) { return !db.RenameMacro(1, "m"); }},
    {"UpdateMacroSettings", [](ProfileDatabase& db) { return !db.UpdateMacroSettings({}); }},
    {"DeleteMacro", [](ProfileDatabase& db) { return !db.DeleteMacro(1); }},
    {"GetMacro",
     [](ProfileDatabase& db) {
         Macro macro;
         return !db.GetMacro(1, macro);
     }},
    {"ListMacros",
     [](ProfileDatabase& db) {
         return EmptiesList<Macro>([&](auto& list) { return db.ListMacros(list); });
     }},
    {"AddMacroStep", [](ProfileDatabase& db) { return db.AddMacroStep({}) == 0; }},
    {"ListMacroSteps",
     [](ProfileDatabase& db) {
         return EmptiesList<MacroStep>([&](auto& list) { return db.ListMacroSteps(1, list); });
     }},
    {"DeleteMacroSteps", [](ProfileDatabase& db) { return !db.DeleteMacroSteps(1); }},
    {"CountAllMacroSteps", [](ProfileDatabase& db) { return db.CountAllMacroSteps() == 0; }},
    {"CountMacroSteps", [](ProfileDatabase& db) { return db.CountMacroSteps(1) == 0; }},
    {"CountLightEffects", [](ProfileDatabase& db) { return db.CountLightEffects() == 0; }},
    {"AddLightEffect", [](ProfileDatabase& db) { return db.AddLightEffect({}) == 0; }},
    {"UpdateLightEffect", [](ProfileDatabase& db) { return !db.UpdateLightEffect(0, {}); }},
    {"SetActiveLightEffect", [](ProfileDatabase& db) { return !db.SetActiveLightEffect(0); }},
    {"GetActiveLightEffect", [](ProfileDatabase& db) { return db.GetActiveLightEffect(1) == 0; }},
    {"GetLightEffect",
     [](ProfileDatabase& db) {
         LightEffect effect;
         return !db.GetLightEffect(0, effect);
     }},
    {"ListLightEffects",
     [](ProfileDatabase& db) {
         return EmptiesList<LightEffect>([&](auto& list) { return db.ListLightEffects(1, list); });
     }},
    {"CountUserLights", [](ProfileDatabase& db) { return db.CountUserLights() == 0; }},
    {"AddUserLight", [](ProfileDatabase& db) { return db.AddUserLight(1, "u") == 0; }},
    {"DeleteUserLight", [](ProfileDatabase& db) { return !db.DeleteUserLight(1); }},
    {"RenameUserLight", [](ProfileDatabase& db) { return !db.RenameUserLight(1, "u"); }},
    {"ListUserLights",
     [](ProfileDatabase& db) {
         return EmptiesList<UserLight>([&](auto& list) { return db.ListUserLights(list); });
     }},
    {"DeleteUserLightKeys", [](ProfileDatabase& db) { return !db.DeleteUserLightKeys(1); }},
    {"ListUserLightKeys",
     [](ProfileDatabase& db) {
         return EmptiesList<UserLightKey>(
             [&](auto& list) { return db.ListUserLightKeys(1, list); });
     }},
    {"AddCustomLight", [](ProfileDatabase& db) { return db.AddCustomLight(1, "c") == 0; }},
    {"SetCustomLightSpeed", [](ProfileDatabase& db) { return !db.SetCustomLightSpeed(1, 3); }},
    {"GetCustomLightSpeed",
     [](ProfileDatabase& db) {
         int speed = 7;
         return db.GetCustomLightSpeed(1, speed) && speed == 7;
     }},
    {"DeleteCustomLight", [](ProfileDatabase& db) { return !db.DeleteCustomLight(1); }},
    {"ListCustomLights",
     [](ProfileDatabase& db) {
         return EmptiesList<CustomLight>([&](auto& list) { return db.ListCustomLights(1, list); });
     }},
    {"SaveCustomLightKey",
     [](ProfileDatabase& db) {
         return db.SaveCustomLightKey(CustomLightKey{0, 1, 4, 255, 1, 0, 0}) == 0;
     }},
    {"ListCustomLightKeys",
     [](ProfileDatabase& db) {
         return EmptiesList<CustomLightKey>(
             [&](auto& list) { return db.ListCustomLightKeys(1, list); });
     }},
    {"CountMusicLayers", [](ProfileDatabase& db) { return db.CountMusicLayers() == 0; }},
    {"AddMusicLayer", [](ProfileDatabase& db) { return db.AddMusicLayer("l", 1) == 0; }},
    {"DeleteMusicLayer", [](ProfileDatabase& db) { return !db.DeleteMusicLayer(1); }},
    {"RenameMusicLayer", [](ProfileDatabase& db) { return !db.RenameMusicLayer(1, "l"); }},
    {"ListMusicLayers",
     [](ProfileDatabase& db) {
         return EmptiesList<MusicLayer>([&](auto& list) { return db.ListMusicLayers(list); });
     }},
    {"GetMusicLayer",
     [](ProfileDatabase& db) {
         MusicLayer layer;
         return !db.GetMusicLayer(1, layer);
     }},
    {"UpdateMusicLayer", [](ProfileDatabase& db) { return !db.UpdateMusicLayer({}); }},
    {"SelectMusicLayer", [](ProfileDatabase& db) { return !db.SelectMusicLayer(1); }},
    {"GetSelectedMusicLayer", [](ProfileDatabase& db) { return db.GetSelectedMusicLayer() == 0; }},
    {"AddScreenLayer",
     [](ProfileDatabase& db) { return db.AddScreenLayer(1, "n", "d", "f") == 0; }},
    {"SetScreenLayerFrameCount",
     [](ProfileDatabase& db) { return !db.SetScreenLayerFrameCount(1, 2); }},
    {"SetScreenLayerFirstFile",
     [](ProfileDatabase& db) { return !db.SetScreenLayerFirstFile(1, "f"); }},
    {"DeleteScreenLayer", [](ProfileDatabase& db) { return !db.DeleteScreenLayer(1); }},
    {"GetScreenLayer",
     [](ProfileDatabase& db) {
         ScreenLayer layer;
         return !db.GetScreenLayer(1, layer);
     }},
    {"ListScreenLayers",
     [](ProfileDatabase& db) {
         return EmptiesList<ScreenLayer>([&](auto& list) { return db.ListScreenLayers(1, list); });
     }},
    {"DeleteScreenFrames", [](ProfileDatabase& db) { return !db.DeleteScreenFrames(1); }},
    {"ListScreenFrames",
     [](ProfileDatabase& db) {
         return EmptiesList<ScreenFrame>([&](auto& list) { return db.ListScreenFrames(1, list); });
     }},
    {"CountScreenFrames", [](ProfileDatabase& db) { return db.CountScreenFrames(1) == 0; }},
    {"AddTftImage", [](ProfileDatabase& db) { return db.AddTftImage({}) == 0; }},
    {"UpdateTftImage", [](ProfileDatabase& db) { return !db.UpdateTftImage({}); }},
    {"ListTftImages",
     [](ProfileDatabase& db) {
         return EmptiesList<TftImage>([&](auto& list) { return db.ListTftImages(1, list); });
     }},
};

TEST(DisconnectedTest, EveryOperationFailsQuietlyWithoutAConnection) {
    ProfileDatabase db;
    EXPECT_FALSE(db.IsOpened());
    for (const Operation& operation : kOperations) {
        EXPECT_TRUE(operation.failsQuietly(db)) << operation.name;
    }
    // Writes without results and batch writes must not crash either; batches still report the
    // number of rows they were given.
    db.InsertDefaultConfig();
    db.DeleteProfileAssignments(1);
    db.AddMacroSteps(std::vector<MacroStep>(3));
    db.DeleteAllScreenLayers();
    EXPECT_EQ(db.AddUserLightKeys(std::vector<UserLightKey>(2)), 2);
    EXPECT_EQ(db.SaveCustomLightKeys(std::vector<CustomLightKey>(2)), 2);
    EXPECT_EQ(db.AddScreenFrames(std::vector<ScreenFrame>(2)), 2);
    db.CloseDatabase();
    EXPECT_FALSE(db.IsOpened());
    EXPECT_FALSE(db.CreateDatabase());  // no model selected: there is no file to create
}

}  // namespace
}  // namespace zephyl::test
