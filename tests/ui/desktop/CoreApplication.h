// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QCoreApplication>

namespace zephyl::test {

/// The one application object of the start-up tests, whose event loop serves the local socket;
/// an inline function so every test file of the program shares it.
inline QCoreApplication& CoreApplication() {
    static int argc = 1;
    static char name[] = "test_startup";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    return application;
}

}  // namespace zephyl::test
