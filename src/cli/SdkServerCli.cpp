// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/SdkServerCli.h"

#include "app/KeyboardController.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "sdkserver/SdkKeyboard.h"
#include "sdkserver/SdkServer.h"

#include <chrono>
#include <csignal>
#include <ostream>
#include <thread>

namespace zephyl::cli {
namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void RequestStop(int) {
    g_stopRequested = 1;
}

int Usage(std::ostream& err, const std::string& message) {
    err << "zephylctl: " << message << " (see zephylctl sdk-server --help)\n";
    return kExitUsage;
}

}  // namespace

std::string SdkServerHelpText() {
    return "Usage: zephylctl [OPTIONS] sdk-server [--port N] [--address A]\n"
           "Serve the OpenRGB SDK protocol so that OpenRGB and programs that speak its SDK\n"
           "can light the keyboard. Runs in the foreground until interrupted (Ctrl+C or\n"
           "SIGTERM). The connected keyboard is one keyboard controller with its keys as\n"
           "LEDs: the Direct mode streams the colours clients set (USB cable only), the\n"
           "other modes are the built-in effects (cable and receiver).\n"
           "It listens on 127.0.0.1 (this computer only) at port 6742 unless --address or\n"
           "--port says otherwise; --port 0 lets the system choose. The first line printed\n"
           "says where it listens.\n";
}

int RunSdkServer(const Invocation& invocation, KeyboardController& controller, std::ostream& out,
                 std::ostream& err) {
    SdkServerOptions options;
    const std::vector<std::string>& words = invocation.words;
    for (size_t i = 1; i < words.size(); ++i) {
        if (i + 1 >= words.size() || (words[i] != "--port" && words[i] != "--address")) {
            return Usage(err, "unknown argument or missing value: " + Printable(words[i]));
        }
        const std::string& value = words[++i];
        if (words[i - 1] == "--port") {
            const auto port = ParseWholeNumber(value, 0, 65535);
            if (!port) {
                return Usage(err, "not a port (0..65535): " + Printable(value));
            }
            options.port = static_cast<std::uint16_t>(*port);
        } else {
            options.address = value;
        }
    }
    const std::shared_ptr<SdkKeyboard> keyboard = SdkKeyboardOf(controller);
    if (!keyboard) {
        err << "zephylctl: the SDK server is not in this build\n";
        return kExitFailed;
    }
    g_stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    struct sigaction oldInterrupt {};
    struct sigaction oldTerminate {};
    sigaction(SIGINT, &action, &oldInterrupt);
    sigaction(SIGTERM, &action, &oldTerminate);

    SdkServer server(keyboard);
    std::string error;
    if (!server.Start(options, error)) {
        sigaction(SIGINT, &oldInterrupt, nullptr);
        sigaction(SIGTERM, &oldTerminate, nullptr);
        err << "zephylctl: " << error << "\n";
        return kExitFailed;
    }
    out << "SDK server listening on " << options.address << ":" << server.Port() << std::endl;
    // Keyboards plugged in or out while it serves come and go as they do in the window.
    controller.StartDeviceNotifications();
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(KeyboardController::kWorkerPeriodMs);
    auto next = Clock::now();
    while (!g_stopRequested) {
        controller.Work();
        next += period;
        const auto now = Clock::now();
        if (next < now) {
            next = now;  // a long pass does not make the following ones rush
        }
        std::this_thread::sleep_until(next);
    }
    server.Stop();
    sigaction(SIGINT, &oldInterrupt, nullptr);
    sigaction(SIGTERM, &oldTerminate, nullptr);
    out << "SDK server stopped" << std::endl;
    return kExitOk;
}

}  // namespace zephyl::cli
