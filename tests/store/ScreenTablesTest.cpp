// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zephyl::test {
namespace {

class ScreenTableTest : public StoreTest {};

TEST_F(ScreenTableTest, AnimationsAreAddedChangedListedAndDeleted) {
    const std::string stamp = "20240102030405006";
    EXPECT_EQ(m_db.AddScreenLayer(1, stamp, stamp, "0.png"), 1);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_ledlayer_data"),
              std::vector<std::string>{"1|1|0|" + stamp + "|0|" + stamp + "|0.png"});
    EXPECT_EQ(m_db.AddScreenLayer(2, "other", "other", "a.png"), 2);
    EXPECT_TRUE(m_db.SetScreenLayerFrameCount(1, 12));
    EXPECT_TRUE(m_db.SetScreenLayerFirstFile(1, "1.png"));

    ScreenLayer layer;
    ASSERT_TRUE(m_db.GetScreenLayer(1, layer));
    EXPECT_EQ(layer.led_id, 1);
    EXPECT_EQ(layer.profile, 1);
    EXPECT_EQ(layer.type, 0);
    EXPECT_EQ(layer.name, stamp);
    EXPECT_EQ(layer.frame_size, 12);
    EXPECT_EQ(layer.file_dir, stamp);
    EXPECT_EQ(layer.first_file, "1.png");

    std::vector<ScreenLayer> list(3);
    ASSERT_EQ(m_db.ListScreenLayers(1, list), 1);
    EXPECT_EQ(list[0].name, stamp);
    EXPECT_TRUE(m_db.DeleteScreenLayer(1));
    EXPECT_FALSE(m_db.GetScreenLayer(1, layer));
    EXPECT_EQ(m_db.ListScreenLayers(1, list), 0);
}

TEST_F(ScreenTableTest, FramesComeBackInFrameOrder) {
    const std::vector<ScreenFrame> frames = {
        {0, 1, "2.png", 100, 2, "2.png"},
        {0, 1, "0.png", 30, 0, "0.png"},
        {0, 2, "x.png", 50, 0, "x.png"},
        {0, 1, "1.png", 500, 1, "1.png"},
    };
    EXPECT_EQ(m_db.AddScreenFrames(frames), 4);
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_ledframe_data WHERE frame_id = 1"),
              std::vector<std::string>{"1|1|2.png|100|2|2.png"});
    std::vector<ScreenFrame> list(9);
    ASSERT_EQ(m_db.ListScreenFrames(1, list), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i].frame_index, i);
        EXPECT_EQ(list[i].name, std::to_string(i) + ".png");
        EXPECT_EQ(list[i].file_name, list[i].name);
        EXPECT_EQ(list[i].led_id, 1);
    }
    EXPECT_EQ(list[0].delay_time, 30);
    EXPECT_EQ(list[0].frame_id, 2);
    EXPECT_EQ(m_db.CountScreenFrames(1), 3);
    EXPECT_TRUE(m_db.DeleteScreenFrames(1));
    EXPECT_EQ(m_db.CountScreenFrames(1), 0);
    EXPECT_EQ(m_db.CountScreenFrames(2), 1);
}

TEST_F(ScreenTableTest, DeletingAllRemovesEveryAnimationAndFrame) {
    m_db.AddScreenLayer(1, "a", "a", "0.png");
    m_db.AddScreenLayer(2, "b", "b", "0.png");
    m_db.AddScreenFrames({{0, 1, "0.png", 30, 0, "0.png"}, {0, 2, "0.png", 30, 0, "0.png"}});
    m_db.DeleteAllScreenLayers();
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_ledlayer_data"), 0);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_ledframe_data"), 0);
    EXPECT_EQ(m_db.AddScreenLayer(1, "c", "c", "0.png"), 3);
}

TEST_F(ScreenTableTest, SlotPicturesAreAddedAndUpdated) {
    EXPECT_EQ(m_db.AddTftImage(TftImage{0, 1, 1, "/data/slot0.png"}), 1);
    EXPECT_EQ(m_db.AddTftImage(TftImage{0, 1, 0, ""}), 2);
    EXPECT_EQ(m_db.AddTftImage(TftImage{0, 2, 0, "elsewhere"}), 3);
    EXPECT_TRUE(m_db.UpdateTftImage(TftImage{2, 9, 24, "/data/anim.gif"}));
    EXPECT_EQ(Raw().Rows("SELECT * FROM t_tftscreen_data WHERE profile = 1"),
              (std::vector<std::string>{"1|1|1|/data/slot0.png", "2|1|24|/data/anim.gif"}));
    std::vector<TftImage> list(1);
    ASSERT_EQ(m_db.ListTftImages(1, list), 2);
    EXPECT_EQ(list[1].tft_id, 2);
    EXPECT_EQ(list[1].profile, 1);
    EXPECT_EQ(list[1].frame_size, 24);
    EXPECT_EQ(list[1].file_name, "/data/anim.gif");
}

}  // namespace
}  // namespace zephyl::test
