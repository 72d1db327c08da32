// SPDX-License-Identifier: GPL-2.0-or-later
// A client of the SDK server sets every key's colour 100 times a second for ten seconds while
// the worker streams to the virtual keyboard. Measured: the frames that reach the keyboard a
// second against the floor the stream's own pacing pauses set, and how many client updates
// each frame carried.
#include "BenchSupport.h"
#include "app/Environment.h"
#include "app/KeyboardController.h"
#include "core/Core.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "device/TransportClock.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "platform/SoftwareIdentity.h"
#include "sdkserver/SdkKeyboard.h"
#include "sdkserver/SdkServer.h"
#include "store/ProfileDatabase.h"
#include "text/CurrentLanguage.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace zephyl;
using namespace zephyl::bench;
namespace fs = std::filesystem;
using Stopwatch = std::chrono::steady_clock;

constexpr double kFloorShareGoal = 0.95;
constexpr int kRunSeconds = 10;
constexpr int kUpdatesPerSecond = 100;

std::vector<std::uint8_t> UpdateLedsPacket(size_t leds, int step) {
    std::vector<std::uint8_t> body;
    const auto put32 = [&body](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            body.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    put32(static_cast<std::uint32_t>(6 + 4 * leds));
    body.push_back(static_cast<std::uint8_t>(leds));
    body.push_back(static_cast<std::uint8_t>(leds >> 8));
    for (size_t led = 0; led < leds; ++led) {
        // A colour wave: every update differs from the last on every key.
        put32(static_cast<std::uint32_t>((step * 5 + led * 3) % 256) | 0x4000u |
              static_cast<std::uint32_t>(255 - step % 256) << 16);
    }
    return EncodeSdkPacket(0, kSdkUpdateLeds, body);
}

int Connect(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

int main() {
    UseBenchFolders("sdk");
    SetSoftwareName("Zephyl Keyboard Driver");
    SetCurrentLanguageId(1033);
    auto clock = std::make_shared<CountingClock>();
    DeviceManager devices(HidLibrary::LoadVirtual("101:0"), clock);
    if (!devices.Library().Loaded()) {
        std::fprintf(stderr, "the virtual keyboard (libzephyl-virtual-hid.so) is not available\n");
        return 1;
    }
    ProfileDatabase database;
    std::shared_ptr<KeyboardController> controller =
        BuildCore(devices, database, std::make_shared<SettingsStore>("Zephyl Keyboard Driver"),
                  ResourceFolder(), DataFolder());
    controller->LoadDeviceDescriptions();
    controller->Start();
    for (int i = 0; i < 200 && !controller->Ready(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::shared_ptr<SdkKeyboard> keyboard = SdkKeyboardOf(*controller);
    if (!controller->Ready() || !keyboard) {
        std::fprintf(stderr, "the virtual keyboard did not connect\n");
        return 1;
    }
    const size_t leds = controller->Layout()->keys.size();
    SdkServer server(keyboard);
    SdkServerOptions options;
    options.port = 0;
    std::string error;
    if (!server.Start(options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int client = Connect(server.Port());
    if (client < 0) {
        std::fprintf(stderr, "the client could not connect\n");
        return 1;
    }
    const std::uint64_t framesBefore = keyboard->FramesSent();
    const long long sleptBefore = clock->SleptMs();
    const auto start = Stopwatch::now();
    const auto period = std::chrono::microseconds(1000000 / kUpdatesPerSecond);
    int updates = 0;
    for (auto next = start; Stopwatch::now() - start < std::chrono::seconds(kRunSeconds);
         next += period) {
        const std::vector<std::uint8_t> packet = UpdateLedsPacket(leds, updates);
        if (send(client, packet.data(), packet.size(), MSG_NOSIGNAL) != ssize_t(packet.size())) {
            std::fprintf(stderr, "the server stopped taking updates\n");
            return 1;
        }
        ++updates;
        std::this_thread::sleep_until(next + period);
    }
    // The last update still on its way is given one frame's time.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const double wallMs =
        std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
    const double frames = static_cast<double>(keyboard->FramesSent() - framesBefore);
    const double floorMs = static_cast<double>(clock->SleptMs() - sleptBefore);
    close(client);
    server.Stop();
    controller->Shutdown();

    const double fps = 1000.0 * frames / wallMs;
    const double floorFps = floorMs > 0 ? 1000.0 * frames / floorMs : 0;
    const double share = floorFps > 0 ? fps / floorFps : 0;
    std::printf(
        "sdk server: %d colour updates of %zu keys in %.1f s (%.0f/s), %.0f frames "
        "(%.1f frames/s, %.1f updates a frame), pacing %.1f ms a frame\n",
        updates, leds, wallMs / 1000, 1000.0 * updates / wallMs, frames, fps,
        frames > 0 ? updates / frames : 0, frames > 0 ? floorMs / frames : 0);
    PrintRatio("sdk colour frames vs floor", Format("%.1f %%", 100 * share),
               Format(">= %.0f %%", 100 * kFloorShareGoal),
               Format("floor %.1f frames/s", floorFps) +
                   Format(", %.0f client updates/s", 1000.0 * updates / wallMs),
               share >= kFloorShareGoal);
    return 0;
}
