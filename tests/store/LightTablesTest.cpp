// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zephyl::test {
namespace {

class LightEffectTableTest : public StoreTest {
protected:
    static LightEffect Effect(int mode, int status = 0) {
        return LightEffect{
            0, 5, std::to_string(520 + mode), mode, 4, 3, 1, 0, 0, 0x0000FF, 0x1F, 0, status};
    }
};

TEST_F(LightEffectTableTest, EffectsAreKeptForTheSettingsProfile) {
    EXPECT_EQ(m_db.AddLightEffect(Effect(0, 1)), 1);
    EXPECT_EQ(m_db.AddLightEffect(Effect(3)), 2);
    // The record's profile is not used: lighting always belongs to profile 1.
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_light_data WHERE light_id = 2"),
              std::vector<std::string>{"2|1|523|3|4|3|1|0|0|255|31|0|0"});
    Raw().Exec("INSERT INTO t_light_data(profile, mode, status) VALUES (2, 3, 1)");
    EXPECT_EQ(m_db.CountLightEffects(), 2);

    LightEffect changed = Effect(3);
    changed.name = "not stored";
    changed.brightness = 1;
    changed.speed = 2;
    changed.direction = 3;
    changed.colorful = 1;
    changed.colorindex = 6;
    changed.color_value = 0x00FF00;
    changed.config_func = 0x3;
    changed.reserved = 9;
    changed.status = 1;
    EXPECT_TRUE(m_db.UpdateLightEffect(3, changed));
    LightEffect read;
    ASSERT_TRUE(m_db.GetLightEffect(3, read));
    EXPECT_EQ(read.light_id, 2);
    EXPECT_EQ(read.profile, 1);
    EXPECT_EQ(read.name, "523");
    EXPECT_EQ(read.mode, 3);
    EXPECT_EQ(read.brightness, 1);
    EXPECT_EQ(read.speed, 2);
    EXPECT_EQ(read.direction, 3);
    EXPECT_EQ(read.colorful, 1);
    EXPECT_EQ(read.colorindex, 6);
    EXPECT_EQ(read.color_value, 0x00FF00);
    EXPECT_EQ(read.config_func, 3);
    EXPECT_EQ(read.reserved, 9);
    EXPECT_EQ(read.status, 0);  // only SetActiveLightEffect changes it
    EXPECT_FALSE(m_db.GetLightEffect(7, read));

    std::vector<LightEffect> list(1);
    ASSERT_EQ(m_db.ListLightEffects(1, list), 2);
    EXPECT_EQ(list[0].mode, 0);
    EXPECT_EQ(list[1].mode, 3);
    EXPECT_EQ(m_db.ListLightEffects(2, list), 1);
}

TEST_F(LightEffectTableTest, ExactlyOneEffectOfTheProfileIsActive) {
    for (int mode = 0; mode < 4; ++mode) {
        m_db.AddLightEffect(Effect(mode, mode == 0 ? 1 : 0));
    }
    Raw().Exec("INSERT INTO t_light_data(profile, mode, status) VALUES (2, 9, 1)");
    EXPECT_EQ(m_db.GetActiveLightEffect(1), 0);
    EXPECT_TRUE(m_db.SetActiveLightEffect(2));
    EXPECT_EQ(m_db.GetActiveLightEffect(1), 2);
    EXPECT_EQ(Raw().Rows("SELECT mode FROM t_light_data WHERE status = 1 ORDER BY mode"),
              (std::vector<std::string>{"2", "9"}));
    EXPECT_EQ(m_db.GetActiveLightEffect(2), 9);
    EXPECT_TRUE(m_db.SetActiveLightEffect(15));  // no such effect: none stays active
    EXPECT_EQ(m_db.GetActiveLightEffect(1), 0);
}

class UserLightTableTest : public StoreTest {};

TEST_F(UserLightTableTest, SetsAreAddedRenamedListedAndDeleted) {
    EXPECT_EQ(m_db.AddUserLight(1, "Custom Light 1"), 1);
    EXPECT_EQ(m_db.AddUserLight(1, "Custom Light 2"), 2);
    EXPECT_EQ(m_db.AddUserLight(2, "elsewhere"), 3);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_userlight_data WHERE userlight_id = 1"),
              std::vector<std::string>{"1|1|Custom Light 1|15|15|0"});
    EXPECT_EQ(m_db.CountUserLights(), 2);
    EXPECT_TRUE(m_db.RenameUserLight(2, "evening"));
    EXPECT_TRUE(m_db.DeleteUserLight(1));

    std::vector<UserLight> list(3);
    ASSERT_EQ(m_db.ListUserLights(list), 1);
    EXPECT_EQ(list[0].userlight_id, 2);
    EXPECT_EQ(list[0].profile, 1);
    EXPECT_EQ(list[0].name, "evening");
    EXPECT_EQ(list[0].speed, 15);
    EXPECT_EQ(list[0].brightness, 15);
    EXPECT_EQ(list[0].status, 0);
}

TEST_F(UserLightTableTest, KeyColoursAreWrittenAsOneBatchAndReplacedAsAWhole) {
    std::vector<UserLightKey> keys;
    for (int key = 4; key < 4 + 104; ++key) {
        keys.push_back(UserLightKey{0, 1, 7, key, key * 0x010101});
    }
    EXPECT_EQ(m_db.AddUserLightKeys(keys), 104);
    EXPECT_EQ(m_db.AddUserLightKeys({UserLightKey{0, 1, 8, 4, 1}}), 1);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_userlightrgb_data WHERE userlightrgb_id = 2"),
              std::vector<std::string>{"2|1|7|5|328965"});

    std::vector<UserLightKey> list;
    ASSERT_EQ(m_db.ListUserLightKeys(7, list), 104);
    EXPECT_EQ(list.front().key_code, 4);
    EXPECT_EQ(list.back().key_code, 107);
    EXPECT_EQ(list.back().key_rgb, 107 * 0x010101);
    EXPECT_EQ(list.back().userlight_id, 7);
    EXPECT_EQ(list.back().userlightrgb_id, 104);

    EXPECT_TRUE(m_db.DeleteUserLightKeys(7));
    EXPECT_EQ(m_db.ListUserLightKeys(7, list), 0);
    EXPECT_EQ(m_db.ListUserLightKeys(8, list), 1);
}

class CustomLightTableTest : public StoreTest {};

TEST_F(CustomLightTableTest, SetsKeepTheirSpeedAndListByName) {
    EXPECT_EQ(m_db.AddCustomLight(1, "set"), 1);
    EXPECT_EQ(m_db.AddCustomLight(2, "other profile"), 2);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_customlight_data WHERE customlight_id = 1"),
              std::vector<std::string>{"1|1|set|15|15|NULL"});

    EXPECT_TRUE(m_db.SetCustomLightSpeed(1, 4));
    int speed = -1;
    EXPECT_TRUE(m_db.GetCustomLightSpeed(1, speed));
    EXPECT_EQ(speed, 4);
    EXPECT_TRUE(m_db.GetCustomLightSpeed(9, speed));  // missing: true, speed untouched
    EXPECT_EQ(speed, 4);

    std::vector<CustomLight> list(2);
    ASSERT_EQ(m_db.ListCustomLights(1, list), 1);
    EXPECT_EQ(list[0].customlight_id, 1);
    EXPECT_EQ(list[0].profile, 1);
    EXPECT_EQ(list[0].name, "set");
    EXPECT_EQ(list[0].speed, 0);  // the list carries names only
}

TEST_F(CustomLightTableTest, AKeyHasAtMostOneRowAndEffectZeroRemovesIt) {
    const int set = m_db.AddCustomLight(1, "set");
    const CustomLightKey lit{0, set, 4, 0x0000FF, 2, 0, 7};
    EXPECT_EQ(m_db.SaveCustomLightKey(lit), 1);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_customrgb_data"),
              std::vector<std::string>{"1|1|4|255|2|0|7"});
    CustomLightKey changed = lit;
    changed.rgbvalue = 0x00FF00;
    changed.colortype = 1;
    EXPECT_EQ(m_db.SaveCustomLightKey(changed), 2);
    EXPECT_EQ(m_db.SaveCustomLightKey(CustomLightKey{0, set, 26, 1, 1, 0, 0}), 3);

    std::vector<CustomLightKey> rows;
    ASSERT_EQ(m_db.ListCustomLightKeys(set, rows), 2);
    EXPECT_EQ(rows[0].keycode, 4);
    EXPECT_EQ(rows[0].rgbvalue, 0x00FF00);
    EXPECT_EQ(rows[0].colortype, 1);
    EXPECT_EQ(rows[0].light_type, 7);
    EXPECT_EQ(rows[0].customrgb_id, 2);

    CustomLightKey off = lit;
    off.light_mode = 0;
    EXPECT_EQ(m_db.SaveCustomLightKey(off), 0);
    ASSERT_EQ(m_db.ListCustomLightKeys(set, rows), 1);
    EXPECT_EQ(rows[0].keycode, 26);
}

TEST_F(CustomLightTableTest, BatchesReplaceEveryKeyGivenWhateverItsEffect) {
    const int set = m_db.AddCustomLight(1, "set");
    m_db.SaveCustomLightKey(CustomLightKey{0, set, 4, 1, 3, 0, 0});
    const std::vector<CustomLightKey> batch = {
        {0, set, 4, 2, 0, 0, 0},  // effect 0 is stored here
        {0, set, 5, 3, 1, 0, 0},
        {0, set, 6, 4, 2, 1, 0},
    };
    EXPECT_EQ(m_db.SaveCustomLightKeys(batch), 3);
    EXPECT_EQ(Raw().Rows("SELECT keycode, rgbvalue, light_mode FROM t_customrgb_data"),
              (std::vector<std::string>{"4|2|0", "5|3|1", "6|4|2"}));
}

TEST_F(CustomLightTableTest, DeletingASetRemovesItsKeyRows) {
    const int doomed = m_db.AddCustomLight(1, "doomed");
    const int kept = m_db.AddCustomLight(1, "kept");
    m_db.SaveCustomLightKeys(
        {{0, doomed, 4, 1, 1, 0, 0}, {0, doomed, 5, 1, 1, 0, 0}, {0, kept, 4, 1, 1, 0, 0}});
    EXPECT_TRUE(m_db.DeleteCustomLight(doomed));
    std::vector<CustomLight> sets;
    ASSERT_EQ(m_db.ListCustomLights(1, sets), 1);
    EXPECT_EQ(sets[0].customlight_id, kept);
    std::vector<CustomLightKey> rows;
    EXPECT_EQ(m_db.ListCustomLightKeys(doomed, rows), 0);
    EXPECT_EQ(m_db.ListCustomLightKeys(kept, rows), 1);
}

class MusicLayerTableTest : public StoreTest {};

TEST_F(MusicLayerTableTest, LayersStartWithTheirDefaultsAndAreUpdated) {
    EXPECT_EQ(m_db.AddMusicLayer("Layer 1", 4), 1);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_musiclayer_data"),
              std::vector<std::string>{"1|1|Layer 1|0|4|300|0|100|0"});
    EXPECT_EQ(m_db.AddMusicLayer("Layer 2", 2), 2);
    EXPECT_EQ(m_db.CountMusicLayers(), 2);

    EXPECT_TRUE(m_db.UpdateMusicLayer(MusicLayer{2, 9, "ignored", 1, 5, 250, 3, 60, 1}));
    MusicLayer layer;
    ASSERT_TRUE(m_db.GetMusicLayer(2, layer));
    EXPECT_EQ(layer.layer_id, 2);
    EXPECT_EQ(layer.profile, 1);
    EXPECT_EQ(layer.name, "Layer 2");
    EXPECT_EQ(layer.deviceindex, 1);
    EXPECT_EQ(layer.foremode, 5);
    EXPECT_EQ(layer.fore_amplitude, 250);
    EXPECT_EQ(layer.backmode, 3);
    EXPECT_EQ(layer.backb_right, 60);
    EXPECT_EQ(layer.sel, 0);
    EXPECT_FALSE(m_db.GetMusicLayer(3, layer));

    EXPECT_TRUE(m_db.RenameMusicLayer(1, "bass"));
    std::vector<MusicLayer> list(5);
    ASSERT_EQ(m_db.ListMusicLayers(list), 2);
    EXPECT_EQ(list[0].name, "bass");
    EXPECT_EQ(list[1].layer_id, 2);
    EXPECT_EQ(list[1].foremode, 0);  // the list carries names only

    EXPECT_TRUE(m_db.DeleteMusicLayer(1));
    EXPECT_EQ(m_db.CountMusicLayers(), 1);
}

TEST_F(MusicLayerTableTest, OneLayerIsSelected) {
    for (int i = 0; i < 3; ++i) {
        m_db.AddMusicLayer("l", 0);
    }
    EXPECT_EQ(m_db.GetSelectedMusicLayer(), 0);
    EXPECT_TRUE(m_db.SelectMusicLayer(2));
    EXPECT_TRUE(m_db.SelectMusicLayer(3));
    EXPECT_EQ(m_db.GetSelectedMusicLayer(), 3);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_musiclayer_data WHERE sel = 1"), 1);
}

}  // namespace
}  // namespace zephyl::test
