// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl screen against the virtual keyboard's memory, on the cable and the receiver.
#include "screen/GifCodec.h"
#include "screen/Picture.h"
#include "support/MalformedFiles.h"
#include "support/TempEnvironment.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zephyl {
namespace {

using Result = test::CliResult;

class ScreenCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_statePath = (m_environment.Root() / "keyboard.json").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", m_statePath);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
    }

    Result Run(const std::string& scenario, const std::string& arguments) {
        return test::RunZephylctl(m_environment.Root(),
                                  "--model 102 --virtual-keyboard=" + scenario + " " + arguments);
    }

    /// The keyboard's memory of slot `number`, a flat JSON object.
    std::string Slot(int number) {
        const std::string state = test::ReadFile(m_statePath);
        for (std::size_t at = state.find("{\"slot\":"); at != std::string::npos;
             at = state.find("{\"slot\":", at + 1)) {
            if (Field(state.substr(at, 32), "slot") == std::to_string(number)) {
                return state.substr(at, state.find('}', at) - at + 1);
            }
        }
        return {};
    }

    static std::string Field(const std::string& object, const std::string& name) {
        std::size_t at = object.find("\"" + name + "\":");
        if (at == std::string::npos) {
            return {};
        }
        at = object.find_first_not_of(' ', at + name.size() + 3);
        const std::size_t end = object[at] == '['   ? object.find(']', at) + 1
                                : object[at] == '"' ? object.find('"', at + 1) + 1
                                                    : object.find_first_of(",}", at);
        std::string value = object.substr(at, end - at);
        value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
        return value;
    }

    /// Two frames, red for 120 ms then blue for 60 ms.
    std::string Gif() {
        std::vector<RgbaImage> frames;
        for (const std::uint8_t channel : {0, 2}) {
            RgbaImage frame(160, 128);
            for (std::size_t i = 0; i < frame.rgba.size(); i += 4) {
                frame.rgba[i + channel] = 255;
                frame.rgba[i + 3] = 255;
            }
            frames.push_back(frame);
        }
        const std::string path = (m_environment.Root() / "two.gif").string();
        const std::vector<int> delays = {120, 60};
        EXPECT_TRUE(EncodeGifFile(path, frames, delays, 160, 128, nullptr));
        return path;
    }

    /// One red frame as a PNG.
    std::string Png() {
        RgbaImage frame(160, 128);
        for (std::size_t i = 0; i < frame.rgba.size(); i += 4) {
            frame.rgba[i] = 255;
            frame.rgba[i + 3] = 255;
        }
        const std::string path = (m_environment.Root() / "red.png").string();
        EXPECT_TRUE(WritePng(path, frame));
        return path;
    }

    std::string LogPath() const { return (m_environment.Root() / "reports.jsonl").string(); }

    /// Screen frames (start 7F, units 80..FF) written to the receiver, by the report log.
    int ScreenFrameWrites() const {
        const std::string prefix = "\"op\":\"write\",\"hex\":\"00";
        std::ifstream log(LogPath());
        int count = 0;
        for (std::string line; std::getline(log, line);) {
            const std::size_t at = line.find(prefix);
            if (at == std::string::npos ||
                line.find("\"iface\":\"receiver\"") == std::string::npos) {
                continue;
            }
            const std::string command = line.substr(at + prefix.size(), 2);
            count += command == "7f" || command[0] >= '8';
        }
        return count;
    }

    test::TempEnvironment m_environment;
    std::string m_statePath;
};

TEST_F(ScreenCliTest, UploadGifToSlotTwoOnTheCable) {
    const Result result = Run("102:0", "--json screen upload '" + Gif() + "' --slot 2");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "{\"slot\":2,\"frames\":2,\"units\":21,\"unit_bytes\":4096}\n");
    const std::string slot = Slot(2);
    EXPECT_EQ(Field(slot, "frames"), "2");
    EXPECT_EQ(Field(slot, "delays"), "[60,30]");
    std::string red;
    for (int i = 0; i < 160 * 128; ++i) {
        red += "f800";
    }
    EXPECT_EQ(Field(slot, "first_frame_rgb565"), "\"" + red + "\"");

    const Result list = Run("102:0", "--json screen list");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("{\"slot\":2,\"frames\":2,"), std::string::npos) << list.out;
}

TEST_F(ScreenCliTest, UploadOnTheReceiver) {
    // The receiver chooses no slot: the keyboard fills the one it shows (its first here).
    const Result result = Run("102:2", "screen upload '" + Gif() + "'");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Sent 2 frames to the slot the keyboard shows in 2935 units\n");
    const std::string slot = Slot(1);
    EXPECT_EQ(Field(slot, "transport"), "\"receiver\"");
    EXPECT_EQ(Field(slot, "delays"), "[60,30]");
    EXPECT_EQ(Field(slot, "first_frame_rgb565").substr(1, 8), "f800f800");
}

TEST_F(ScreenCliTest, TheReceiverRefusesASlotItCannotChoose) {
    m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", LogPath());
    for (const char* slot : {"1", "2", "9"}) {
        SCOPED_TRACE(slot);
        const Result result =
            Run("102:2", "--json screen upload '" + Gif() + "' --slot " + std::string(slot));
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "zephylctl: --slot " + std::string(slot) +
                                  ": over the receiver the keyboard puts an upload into the "
                                  "screen slot it shows, so no slot can be chosen; connect the "
                                  "USB cable to choose one.\n");
    }
    EXPECT_EQ(ScreenFrameWrites(), 0);
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_NE(Field(Slot(slot), "filled"), "true") << slot;
    }
}

// A receiver upload ends where the keyboard is gone or stops answering, instead of sending
// every one of its 1,473 frames into nothing.
TEST_F(ScreenCliTest, AReceiverUploadStopsWhereTheKeyboardCannotTakeIt) {
    const std::string picture = Png();
    const struct {
        const char* name;
        const char* faults;  // the scenario's faults and events; the handshake and the battery
                             // question take the first 4 reports
        int screenWrites;
        int exitCode;
        const char* reason;
    } cases[] = {
        {"unplugged after the start frame", R"("faults":[{"fault":"unplug_after","value":5}])", 1,
         1, "could no longer be reached"},
        {"unplugged after 5 units", R"("faults":[{"fault":"unplug_in_block","value":5}])", 6, 1,
         "could no longer be reached"},
        {"no more answers",
         R"("events":[{"after_reports":4,"do":"fault","fault":"lost_answer","value":100000}])", 3,
         1, "did not take the change"},
        // a stray answer before each real one costs no frame
        {"no echo first", R"("faults":[{"fault":"no_echo","value":100000}])", 1473, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(LogPath());
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", LogPath());
        const std::string scenario =
            "'{\"keyboards\":[{\"model\":102,\"modes\":[2]}]," + std::string(c.faults) + "}'";
        const Result result = Run(scenario, "screen upload '" + picture + "'");
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_EQ(ScreenFrameWrites(), c.screenWrites);
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
    }
}

TEST_F(ScreenCliTest, RefusalsSendNothing) {
    const std::string notes = (m_environment.Root() / "notes.png").string();
    std::ofstream(notes) << "not a picture";
    const Result bad = Run("102:0", "screen upload '" + notes + "' --slot 1");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
    EXPECT_NE(bad.err.find("notes.png"), std::string::npos);
    const Result missing = Run("102:0", "screen upload missing.png --slot 1");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err, "zephylctl: missing.png: cannot be read\n");
    const struct {
        const char* arguments;
        int exitCode;
    } usage[] = {{"screen upload", 2},
                 {"screen upload x.gif", 2},
                 {"screen default --slot 4", 2},
                 {"screen clock --at '2026-02-30 10:00:00'", 2},
                 {"screen spin", 2}};
    for (const auto& c : usage) {
        EXPECT_EQ(Run("102:0", c.arguments).exitCode, c.exitCode) << c.arguments;
    }
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_NE(Field(Slot(slot), "filled"), "true") << slot;
    }
}

// A file that is no regular file, or a picture that declares more than the screen can use, is
// refused at once from what it is or what its header says: nothing is decoded or sent.
TEST_F(ScreenCliTest, FilesOverTheBudgetOrNotRegularAreRefusedAtOnce) {
    const std::string folder = (m_environment.Root() / "pictures").string();
    std::filesystem::create_directory(folder);
    const test::TestFifo fifo((m_environment.Root() / "fifo.gif").string());
    const std::string huge = (m_environment.Root() / "huge.gif").string();
    const test::Bytes gif = test::DeclaringGif(16384, 16384, 30);
    std::ofstream(huge, std::ios::binary)
        .write(reinterpret_cast<const char*>(gif.data()), static_cast<std::streamsize>(gif.size()));
    const struct {
        std::string file;
        std::string says;
    } cases[] = {
        {folder, folder + ": not a regular file\n"},
        {fifo.Path(), fifo.Path() + ": not a regular file\n"},
        {"/dev/zero", "/dev/zero: not a regular file\n"},
        {huge, huge + ": too large for the screen: a GIF of 16384 x 16384 pixels, more than the 4 "
                      "megapixels a GIF may have\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Result refused = Run("102:0", "screen upload '" + c.file + "' --slot 2");
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.err, "zephylctl: " + c.says);
    }
    EXPECT_NE(Field(Slot(2), "filled"), "true");
}

// Frame delays the delay byte cannot hold play for 500 ms instead of wrapping round.
TEST_F(ScreenCliTest, LongFrameDelaysAreSentAsTheLongestTheEditorOffers) {
    std::vector<RgbaImage> frames(3, RgbaImage(4, 4));
    const std::string path = (m_environment.Root() / "slow.gif").string();
    const std::vector<int> delays = {1000, 6000, 120};
    ASSERT_TRUE(EncodeGifFile(path, frames, delays, 4, 4, nullptr));
    const Result result = Run("102:0", "screen upload '" + path + "' --slot 1");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Field(Slot(1), "delays"), "[250,250,60]");
}

// Nothing keeps a refused clock or slot write for later: the reason says to try again.
TEST_F(ScreenCliTest, RefusedScreenWritesSaySoAndPromiseNothing) {
    const auto scenario = m_environment.Root() / "busy.json";
    test::WriteFile(scenario,
                    "{\"keyboards\": [{\"model\": 102, \"modes\": [0]}], "
                    "\"faults\": [{\"fault\": \"busy\", \"value\": 1000}]}");
    for (const char* arguments :
         {"screen clock --at '2026-12-09 00:39:52'", "screen default --slot 3"}) {
        SCOPED_TRACE(arguments);
        const Result refused = Run("'" + scenario.string() + "'", arguments);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_EQ(refused.err, "zephylctl: The keyboard did not take the change. Try again.\n");
    }
}

// Two digits after 2000 are all the keyboard keeps: any other year would arrive as another.
TEST_F(ScreenCliTest, ClockYearsTheKeyboardCannotHoldAreRefusedBeforeSending) {
    const std::string log = (m_environment.Root() / "reports.jsonl").string();
    m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", log);
    for (const char* year : {"1999", "2100", "2255", "9999"}) {
        SCOPED_TRACE(year);
        const Result refused =
            Run("102:0", std::string("screen clock --at '") + year + "-06-01 12:00:00'");
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
        EXPECT_NE(refused.err.find(std::string("not ") + year), std::string::npos) << refused.err;
    }
    // Nothing of the clock's write sequence went out: no 0x28 header.
    EXPECT_EQ(test::ReadFile(log).find("\"hex\":\"000428"), std::string::npos);

    const Result last = Run("102:0", "screen clock --at '2099-12-31 23:59:59'");
    ASSERT_EQ(last.exitCode, 0) << last.err;
    const std::string state = test::ReadFile(m_statePath);
    EXPECT_EQ(Field(state.substr(state.find("\"clock\":"), 200), "year"), "99");
}

TEST_F(ScreenCliTest, ClockAndDefaultPicture) {
    const Result clock = Run("102:0", "--json screen clock --at '2026-12-09 00:39:52'");
    ASSERT_EQ(clock.exitCode, 0) << clock.err;
    EXPECT_EQ(clock.out, "{\"clock\":\"2026-12-09 00:39:52\",\"weekday\":3}\n");
    const std::string state = test::ReadFile(m_statePath);
    const std::string memory = state.substr(state.find("\"clock\":"), 200);
    EXPECT_EQ(Field(memory, "year"), "26");
    EXPECT_EQ(Field(memory, "weekday"), "3");

    const Result picture = Run("102:0", "screen default --slot 3");
    ASSERT_EQ(picture.exitCode, 0) << picture.err;
    EXPECT_EQ(Field(Slot(3), "frames"), "1");
    EXPECT_EQ(Field(Slot(3), "delays"), "[10]");

    // Later commands leave the keyboard's clock as it was set.
    ASSERT_EQ(Run("102:0", "keys show").exitCode, 0);
    const auto clockOf = [](const std::string& text) {
        const std::size_t at = text.find("\"clock\":");
        return text.substr(at, text.find('}', at) - at);
    };
    EXPECT_EQ(clockOf(test::ReadFile(m_statePath)), clockOf(state));
}

// A restore starts the library over from the shipped animations, slot pictures included.
TEST_F(ScreenCliTest, RestoreDefaultsLeavesTheDefaultAnimationsAndSlotPictures) {
    ASSERT_EQ(Run("102:0", "screen upload '" + Gif() + "' --slot 2").exitCode, 0);
    const Result restored = Run("102:0", "restore-defaults");
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_EQ(restored.err, "");

    const Result list = Run("102:0", "--json screen list");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    const std::string slots = list.out.substr(list.out.find("\"slots\":"));
    for (int slot = 1; slot <= 3; ++slot) {
        SCOPED_TRACE(slot);
        const std::size_t at = slots.find("{\"slot\":" + std::to_string(slot) + ",");
        ASSERT_NE(at, std::string::npos) << list.out;
        const std::string entry = slots.substr(at, slots.find('}', at) - at + 1);
        // Read here, not with Field: the data folder's name has spaces.
        const std::size_t from = entry.find("\"picture\":\"") + 11;
        const std::string picture = entry.substr(from, entry.find('"', from) - from);
        EXPECT_EQ(std::filesystem::path(picture).filename(), std::to_string(slot - 1) + ".png");
        EXPECT_TRUE(std::filesystem::is_regular_file(picture)) << picture;
        EXPECT_NE(Field(entry, "frames"), "0");
    }
    EXPECT_EQ(slots.find("{\"slot\":4,"), std::string::npos) << "slot rows start at 1 again";
    const std::string animations = list.out.substr(0, list.out.find("\"slots\":"));
    EXPECT_EQ(std::count(animations.begin(), animations.end(), '{'), 1 + 3)
        << "the three default animations, nothing of before: " << list.out;
}

}  // namespace
}  // namespace zephyl
