// SPDX-License-Identifier: GPL-2.0-or-later
// The screen commands against the virtual keyboard: what arrives in its slots, decoded (frame
// count, delays, pixels), and the clock.
#include "GifTestSupport.h"
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "platform/SettingsStore.h"
#include "screen/Picture.h"
#include "screen/ScreenFeature.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>

namespace zephyl {
namespace {

namespace fs = std::filesystem;

/// The screen model of the catalogue: 160 × 128, 3 slots, at most 100 frames.
constexpr int kScreenModel = 102;

class ScreenUploadTest : public ::testing::TestWithParam<const char*> {
protected:
    void Start(const std::string& scenario) {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::string(ZEPHYL_RUNTIME_DIR));
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", std::nullopt);
        SetSoftwareName("Zephyl Keyboard Driver");
        m_devices = std::make_unique<DeviceManager>(HidLibrary::LoadVirtual(scenario));
        ASSERT_TRUE(m_devices->Library().Loaded());
        m_controller = std::make_shared<KeyboardController>(
            *m_devices, m_database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
            std::string(ZEPHYL_RUNTIME_DIR) + "/", DataFolder());
        m_controller->SetView(&m_view);
        ScreenFeatureOptions options;
        options.resourceFolder = (m_environment.Root() / "resources").string();
        options.skinFolder = (m_environment.Root() / "skin").string();
        options.pause = [](int) {};
        options.now = [this] {
            ++m_clockReads;
            return ScreenClock{m_nowYear.load(), 12, 9, 0, 39, 52, 3};
        };
        RegisterScreenFeature(*m_controller, options);
        m_feature = ScreenFeatureOf(*m_controller);
        m_controller->LoadDeviceDescriptions();
        m_controller->OnModelChosen(kScreenModel);
        m_controller->RunCommand(kCommandStart);
        for (int i = 0; i < 32 && m_controller->QueueLength() > 0; ++i) {
            m_controller->Work();
        }
        ASSERT_TRUE(m_controller->Connected());
    }

    void TearDown() override {
        if (m_controller) {
            m_controller->Shutdown();
        }
        m_controller.reset();
        m_database.CloseDatabase();
    }

    std::string State() {
        auto stateJson = reinterpret_cast<size_t (*)(char*, size_t)>(
            m_devices->Library().Symbol("zephyl_virtual_state_json"));
        std::string text(stateJson(nullptr, 0) + 1, '\0');
        stateJson(text.data(), text.size());
        text.resize(text.size() - 1);
        return text;
    }

    /// The JSON object of slot `number` (1-based) in the keyboard's memory. Plain searches: the
    /// pixels make the text too long for std::regex.
    std::string Slot(int number) {
        const std::string state = State();
        for (std::size_t at = state.find("{\"slot\":"); at != std::string::npos;
             at = state.find("{\"slot\":", at + 1)) {
            if (Field(state.substr(at, 32), "slot") == std::to_string(number)) {
                return state.substr(at, state.find('}', at) - at + 1);
            }
        }
        return {};
    }

    /// The value of `name` in a flat JSON object, spaces left out.
    static std::string Field(const std::string& object, const std::string& name) {
        std::size_t at = object.find("\"" + name + "\":");
        if (at == std::string::npos) {
            return {};
        }
        at = object.find_first_not_of(' ', at + name.size() + 3);
        std::size_t end = at;
        if (object[at] == '[') {
            end = object.find(']', at) + 1;
        } else if (object[at] == '"') {
            end = object.find('"', at + 1) + 1;
        } else {
            end = object.find_first_of(",}", at);
        }
        std::string value = object.substr(at, end - at);
        value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
        return value;
    }

    std::string MakeGif(const std::vector<test::TestGifFrame>& frames) {
        const std::string path = (m_environment.Root() / "upload.gif").string();
        EXPECT_TRUE(test::WriteTestGif(path, 160, 128,
                                       {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, frames));
        return path;
    }

    static test::TestGifFrame Solid(int index, int delayCs) {
        test::TestGifFrame frame;
        frame.width = 160;
        frame.height = 128;
        frame.delayCs = delayCs;
        frame.indexes.assign(160 * 128, index);
        return frame;
    }

    static std::string Repeat(const std::string& pixel, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += pixel;
        }
        return text;
    }

    test::TempEnvironment m_environment;
    std::unique_ptr<DeviceManager> m_devices;
    ProfileDatabase m_database;
    NullControllerView m_view;
    std::shared_ptr<KeyboardController> m_controller;
    std::shared_ptr<ScreenFeature> m_feature;
    std::atomic<int> m_clockReads{0};  // times a clock was read to be sent
    std::atomic<int> m_nowYear{2026};  // the computer's year
};

TEST_F(ScreenUploadTest, ImportedGifArrivesDecodedInSlotTwo) {
    Start("102:0");
    const std::string gif = MakeGif({Solid(1, 10), Solid(2, 20), Solid(3, 31)});
    const ScreenPaths paths = m_feature->Paths(*m_controller->Layout());
    const int ledId = ImportGifAnimation(m_database, paths, gif);
    ASSERT_GT(ledId, 0);
    m_feature->SetSelectedAnimation(ledId, 0);
    m_feature->SetSelectedSlot(1);
    std::vector<int> progress;
    m_feature->SetProgressSink([&progress](int percent) { progress.push_back(percent); });
    const CommandOutcome outcome = m_controller->RunCommand(kCommandUploadScreen);
    ASSERT_TRUE(outcome.done) << outcome.failure;

    const std::string slot = Slot(2);
    EXPECT_EQ(Field(slot, "filled"), "true") << slot.substr(0, 300);
    EXPECT_EQ(Field(slot, "frames"), "3");
    EXPECT_EQ(Field(slot, "delays"), "[50,100,155]");
    EXPECT_EQ(Field(slot, "upload_index"), "1");
    EXPECT_EQ(Field(slot, "first_frame_rgb565"), "\"" + Repeat("f800", 160 * 128) + "\"");
    EXPECT_EQ(Field(Slot(1), "filled"), "false");
    // 256 + 3 · 40960 bytes in 31 bulk units; progress rises to 100.
    EXPECT_EQ(Field(slot, "units"), "31");
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // The slot's row and picture follow what was sent.
    std::vector<TftImage> rows;
    m_database.ListTftImages(kScreenProfile, rows);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[1].frame_size, 3);
    EXPECT_TRUE(fs::exists(rows[1].file_name));
}

TEST_F(ScreenUploadTest, PictureFileOnTheReceiver) {
    Start("102:2");
    RgbaImage green(40, 40);
    for (std::size_t i = 0; i < green.rgba.size(); i += 4) {
        green.rgba[i + 1] = green.rgba[i + 3] = 255;
    }
    const std::string png = (m_environment.Root() / "green.png").string();
    ASSERT_TRUE(WritePng(png, green));
    m_feature->SetUploadFile(png);
    const CommandOutcome outcome = m_controller->RunCommand(kCommandUploadScreen);
    ASSERT_TRUE(outcome.done) << outcome.failure;
    const std::string slot = Slot(1);
    EXPECT_EQ(Field(slot, "transport"), "\"receiver\"");
    EXPECT_EQ(Field(slot, "frames"), "1");
    // Fitted whole: black bars left and right of the 128 × 128 green square.
    const std::string pixels = Field(slot, "first_frame_rgb565");
    ASSERT_EQ(pixels.size(), 2u + 160u * 128u * 4u);
    EXPECT_EQ(pixels.substr(1, 4), "0000");
    EXPECT_EQ(pixels.substr(1 + 80 * 4, 4), "07e0");
}

TEST_F(ScreenUploadTest, NotAPictureSendsNothing) {
    Start("102:0");
    const std::string notes = (m_environment.Root() / "notes.gif").string();
    std::ofstream(notes) << "hello";
    m_feature->SetUploadFile(notes);
    const CommandOutcome outcome = m_controller->RunCommand(kCommandUploadScreen);
    EXPECT_FALSE(outcome.done);
    EXPECT_NE(outcome.failure.find("notes.gif"), std::string::npos);
    for (int slot = 1; slot <= 3; ++slot) {
        EXPECT_EQ(Field(Slot(slot), "filled"), "false");
    }
}

TEST_P(ScreenUploadTest, LoadingThePagesSetsTheClockOnce) {
    Start(GetParam());
    m_clockReads = 0;
    ASSERT_TRUE(m_controller->RunCommand(kCommandLoadPages).done);
    EXPECT_EQ(m_clockReads.load(), 1);
}

TEST_P(ScreenUploadTest, ClockOfNinthDecember2026) {
    Start(GetParam());
    m_feature->SetClockOverride(ScreenClock{2026, 12, 9, 0, 39, 52, 3});
    const CommandOutcome outcome = m_controller->RunCommand(kCommandSetClock);
    ASSERT_TRUE(outcome.done) << outcome.failure;
    const std::string state = State();
    const std::size_t at = state.find("\"clock\":");
    ASSERT_NE(at, std::string::npos);
    const std::string clock = state.substr(at, state.find('}', at) - at);
    EXPECT_EQ(Field(clock, "year"), "26");
    EXPECT_EQ(Field(clock, "month"), "12");
    EXPECT_EQ(Field(clock, "day"), "9");
    EXPECT_EQ(Field(clock, "minute"), "39");
    EXPECT_EQ(Field(clock, "second"), "52");
    EXPECT_EQ(Field(clock, "weekday"), "3");
}

TEST_P(ScreenUploadTest, ComputerClockOutsideTheKeyboardsYearsIsNotSent) {
    Start(GetParam());
    const auto clockOf = [this] {
        const std::string state = State();
        const std::size_t at = state.find("\"clock\":");
        return at == std::string::npos ? std::string() : state.substr(at, state.find('}', at) - at);
    };
    const std::string before = clockOf();
    for (const int year : {1999, 2100, 2255}) {
        SCOPED_TRACE(year);
        m_nowYear = year;
        const CommandOutcome outcome = m_controller->RunCommand(kCommandSetClock);
        EXPECT_FALSE(outcome.done);
        EXPECT_NE(outcome.failure.find("not " + std::to_string(year)), std::string::npos)
            << outcome.failure;
        EXPECT_EQ(clockOf(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Connections, ScreenUploadTest, ::testing::Values("102:0", "102:2"));

TEST_F(ScreenUploadTest, DefaultPictureGoesToTheChosenSlot) {
    Start("102:0");
    RgbaImage blue(160, 128);
    for (std::size_t i = 0; i < blue.rgba.size(); i += 4) {
        blue.rgba[i + 2] = blue.rgba[i + 3] = 255;
    }
    fs::create_directories(m_environment.Root() / "skin");
    ASSERT_TRUE(WritePng((m_environment.Root() / "skin" / "loadgif.png").string(), blue));
    m_feature->SetSelectedSlot(2);
    const CommandOutcome outcome = m_controller->RunCommand(kCommandScreenSlot);
    ASSERT_TRUE(outcome.done) << outcome.failure;
    const std::string slot = Slot(3);
    EXPECT_EQ(Field(slot, "frames"), "1");
    EXPECT_EQ(Field(slot, "delays"), "[10]");
    EXPECT_EQ(Field(slot, "first_frame_rgb565").substr(1, 8), "001f001f");
}

}  // namespace
}  // namespace zephyl
