// SPDX-License-Identifier: GPL-2.0-or-later
// A window with nothing in it, of the main window's size: what any Qt program costs, against
// which the report puts the program's memory and start-up.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(1280, 720);
    window.show();
    return application.exec();
}
