// SPDX-License-Identifier: GPL-2.0-or-later
// zephylctl customlight as a user runs it, against the virtual keyboard.
#include "support/TempEnvironment.h"
#include "support/Zephylctl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

namespace zephyl {
namespace {

using Result = test::CliResult;

class CustomLightCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_environment.SetVariable("ZEPHYL_RESOURCE_DIR", std::nullopt);
        m_environment.SetVariable("ZEPHYL_VIRTUAL_KEYBOARD", std::nullopt);
        m_statePath = (m_environment.Root() / "keyboard.json").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_STATE", m_statePath);
        m_logPath = (m_environment.Root() / "reports.jsonl").string();
        m_environment.SetVariable("ZEPHYL_VIRTUAL_LOG", m_logPath);
    }

    Result Run(const std::string& arguments) {
        return test::RunZephylctl(m_environment.Root(), "--virtual-keyboard=101:0 " + arguments);
    }

    /// Frame commands (04 20) in the report log.
    int FrameCommands() {
        std::ifstream log(m_logPath);
        std::string line;
        int count = 0;
        while (std::getline(log, line)) {
            count += line.find("\"op\":\"set_feature\",\"hex\":\"000420") != std::string::npos;
        }
        return count;
    }

    std::string Path(const std::string& name) { return (m_environment.Root() / name).string(); }

    test::TempEnvironment m_environment;
    std::string m_statePath;
    std::string m_logPath;
};

TEST_F(CustomLightCliTest, ListExportImportRoundTrip) {
    const Result list = Run("--json customlight list");
    ASSERT_EQ(list.exitCode, 0) << list.err;
    EXPECT_EQ(list.out, "[{\"id\":1,\"name\":\"Real-time Lighting 1\",\"speed\":15,\"keys\":0}]\n");

    std::ofstream(Path("in.xml"))
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<customlight><lightinfo name=\"Night\" "
           "speed=\"3\"/><keyinfo><item keycode=\"4\" lightmode=\"4\" rgbvalue=\"255\" "
           "type=\"2\"/><item keycode=\"7\" lightmode=\"0\" rgbvalue=\"0\" "
           "type=\"0\"/></keyinfo></customlight>";
    const Result imported = Run("--json customlight import '" + Path("in.xml") + "'");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "{\"id\":2,\"name\":\"Night\",\"speed\":3,\"keys\":1}\n");

    const Result exported = Run("customlight export '" + Path("out") + "' --set 2");
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(test::ReadFile(Path("out.xml")),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<customlight>\r\n<lightinfo "
              "name=\"Night\" speed=\"3\"/>\r\n<keyinfo>\r\n<item keycode=\"4\" lightmode=\"4\" "
              "rgbvalue=\"255\" type=\"2\"/>\r\n</keyinfo>\r\n</customlight>\r\n");
}

TEST_F(CustomLightCliTest, StreamSendsFramesAndBadValuesSendNothing) {
    const struct {
        const char* arguments;
        int exitCode;
    } bad[] = {{"customlight stream", 2},
               {"customlight stream --seconds 0", 2},
               {"customlight stream --seconds 1 --set 77", 2},
               {"customlight export", 2},
               {"customlight wobble", 2},
               {"customlight import '/no/such/file.xml'", 1}};
    for (const auto& entry : bad) {
        const Result result = Run(entry.arguments);
        EXPECT_EQ(result.exitCode, entry.exitCode) << entry.arguments;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << entry.arguments;
    }
    EXPECT_EQ(FrameCommands(), 0);

    const Result stream = Run("--json customlight stream --seconds 1");
    ASSERT_EQ(stream.exitCode, 0) << stream.err;
    std::smatch match;
    ASSERT_TRUE(std::regex_search(stream.out, match, std::regex("\"frames\":([0-9]+)")));
    const int frames = std::stoi(match[1]);
    EXPECT_GT(frames, 5);
    EXPECT_EQ(FrameCommands(), frames);
    EXPECT_NE(test::ReadFile(m_statePath).find("\"streamed_frames\":" + std::to_string(frames)),
              std::string::npos);
}

TEST_F(CustomLightCliTest, AStreamThatMostlyFailedSaysSo) {
    // Three whole frames of 12 reports each reach the keyboard; then its cable is pulled.
    const Result stream = test::RunZephylctl(
        m_environment.Root(),
        "--json --virtual-keyboard='{\"keyboards\":[{\"model\":101,\"modes\":[0]}],"
        "\"events\":[{\"after_reports\":36,\"do\":\"unplug\",\"mode\":0}]}' "
        "customlight stream --seconds 1");
    EXPECT_EQ(stream.exitCode, 1) << stream.out;
    std::smatch match;
    ASSERT_TRUE(
        std::regex_search(stream.out, match, std::regex("\"frames\":([0-9]+),\"failed\":([0-9]+)")))
        << stream.out;
    EXPECT_EQ(std::stoi(match[1]), 3);
    EXPECT_GT(std::stoi(match[2]), 3);
    EXPECT_EQ(FrameCommands(), 3);  // nothing reached the keyboard after its cable was pulled
    EXPECT_NE(stream.err.find("did not take most of the streamed lighting frames"),
              std::string::npos)
        << stream.err;
    EXPECT_EQ(std::count(stream.err.begin(), stream.err.end(), '\n'), 1) << stream.err;
}

TEST_F(CustomLightCliTest, ForeignNamesReachTheTerminalEscaped) {
    // A window title (OSC 0 ... BEL), the clipboard (OSC 52) and a C1 CSI in an imported name.
    const std::string hostile =
        "A\x1B]0;owned\x07"
        "B\x1B]52;c;ZXZpbA==\x07"
        "C\xC2\x9B"
        "31mD";
    const std::string escaped = "A\\x1b]0;owned\\x07B\\x1b]52;c;ZXZpbA==\\x07C\\u009b31mD";
    const std::string file = Path("hostile\x1B[2J.xml");
    std::ofstream(file) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<customlight><lightinfo "
                           "name=\""
                        << hostile
                        << "\" speed=\"3\"/><keyinfo><item keycode=\"4\" lightmode=\"4\" "
                           "rgbvalue=\"255\" type=\"2\"/></keyinfo></customlight>";
    const std::string userFile = Path("user.xml");
    std::ofstream(userFile)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<userlight><lightinfo "
           "name=\""
        << hostile << "\"/><keyinfo/></userlight>";
    const struct {
        std::string arguments;
        std::string shown;  // in the output where the name or file name belongs
    } cases[] = {
        {"customlight import '" + file + "'", "\"" + escaped + "\""},
        {"customlight list", "\t" + escaped + "\t"},
        {"customlight export '" + Path("out\x1B[2J") + "'", Path("out\\x1b[2J.xml")},
        {"userlight import '" + userFile + "'", " " + escaped + "\n"},
        {"userlight list", " " + escaped + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Result result = Run(c.arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_NE(result.out.find(c.shown), std::string::npos) << result.out;
        for (const std::string& text : {result.out, result.err}) {
            EXPECT_EQ(text.find('\x1B'), std::string::npos);
            EXPECT_EQ(text.find('\x07'), std::string::npos);
            EXPECT_EQ(text.find("\xC2\x9B"), std::string::npos);
        }
    }
    // A file name in a refusal is escaped too.
    const Result missing = Run("customlight import '" + Path("gone\x1B]0;x\x07.xml") + "'");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("gone\\x1b]0;x\\x07.xml"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace zephyl
