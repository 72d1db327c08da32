// SPDX-License-Identifier: GPL-2.0-or-later
// Entry point of the windowed program.
#include "InterimWindow.h"
#include "app/Startup.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage() {
    std::printf(
        "Usage: zephyl-keyboard-driver [--quit]\n"
        "Configure Zephyl keyboards. A second start brings the running window forward.\n"
        "  --quit   ask the running program to exit\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool quit = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quit") == 0) {
            quit = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage();
            return 0;
        }
        // Any other argument is ignored, as the desktop may pass its own.
    }

    QApplication application(argc, argv);
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

    zephyl::InterimWindow window;
    QObject::connect(startup.instance.get(), &zephyl::SingleInstance::MessageReceived, &window,
                     [&window](const QString& message) {
                         if (message == zephyl::SingleInstance::kShowMessage) {
                             window.ComeForward();
                         } else if (message == zephyl::SingleInstance::kExitMessage) {
                             // The exit request ends the program at once.
                             QApplication::exit(0);
                         }
                     });
    window.show();
    return application.exec();
}
