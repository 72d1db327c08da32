// SPDX-License-Identifier: GPL-2.0-or-later
// Entry point of the windowed program.
#include "app/KeyboardController.h"
#include "core/Core.h"
#include "device/DeviceManager.h"
#include "device/HidLibrary.h"
#include "platform/Memory.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "store/ProfileDatabase.h"
#include "ui/desktop/Startup.h"
#include "ui/window/KeyboardDlg.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage() {
    std::printf(
        "Usage: zephyl-keyboard-driver [--quit] [--virtual-keyboard[=SCENARIO]]\n"
        "Configure Zephyl keyboards. A second start brings the running window forward.\n"
        "  --quit                         ask the running program to exit\n"
        "  --virtual-keyboard[=SCENARIO]  use the built-in virtual keyboard instead of\n"
        "                                 hardware (SCENARIO: e.g. 101:0,2)\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool quit = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quit") == 0) {
            quit = true;
        } else if (std::strcmp(argv[i], "--virtual-keyboard") == 0) {
            zephyl::HidLibrary::RequestVirtualKeyboard("");
        } else if (std::strncmp(argv[i], "--virtual-keyboard=", 19) == 0) {
            zephyl::HidLibrary::RequestVirtualKeyboard(argv[i] + 19);
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage();
            return 0;
        }
        // Any other argument is ignored, as the desktop may pass its own.
    }

    zephyl::KeepLargeBuffersApart();

    QApplication application(argc, argv);
    // Lets a Wayland compositor match the window to the installed desktop entry (its icon and
    // name in the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zephyl.KeyboardDriver"));
    auto startup = zephyl::Startup(zephyl::ResourceFolder(), quit);
    switch (startup.outcome) {
        case zephyl::StartupOutcome::kOtherInstance:
        case zephyl::StartupOutcome::kQuitSent:
            return 0;
        case zephyl::StartupOutcome::kQuitNothingRunning:
            std::fprintf(stderr, "zephyl-keyboard-driver: not running\n");
            return 0;
        case zephyl::StartupOutcome::kRun:
            break;
    }

    auto controller =
        zephyl::BuildCore(zephyl::DeviceManager::Instance(), zephyl::DatabaseInstance(),
                          std::make_shared<zephyl::SettingsStore>(zephyl::SoftwareName()),
                          zephyl::ResourceFolder(), zephyl::DataFolder());
    if (zephyl::DeviceManager::Instance().Library().ScenarioRefused()) {
        std::fprintf(stderr,
                     "zephyl-keyboard-driver: the virtual keyboard does not know that scenario\n");
        return 2;
    }
    // The window stays in the tray when it is hidden; only an exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    zephyl::window::KeyboardDlg window(controller);
    // Listened to before the window is made: making it may open a message (a damaged profile
    // database) whose own event loop serves the socket, and an exit asked for then must end
    // the program as it does later.
    bool created = false;
    bool exitRequested = false;
    QObject::connect(startup.instance.get(), &zephyl::SingleInstance::MessageReceived, &window,
                     [&window, &created, &exitRequested](const QString& message) {
                         if (message == zephyl::SingleInstance::kShowMessage) {
                             if (created) {
                                 window.ComeForward();
                             }
                         } else if (message == zephyl::SingleInstance::kExitMessage) {
                             // The exit request ends the program at once.
                             exitRequested = true;
                             window.Services().Quit();
                         }
                     });
    if (!window.CreateMainWindow()) {
        std::fprintf(stderr, "zephyl-keyboard-driver: cannot create the main window\n");
        return 1;
    }
    created = true;
    // Quit leaves the open event loops; the main one has not started yet and would not know.
    if (exitRequested) {
        return 0;
    }
    window.ShowWindow(zephyl::glint::kShowNormal);
    return application.exec();
}
