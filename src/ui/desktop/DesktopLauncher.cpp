// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/DesktopLauncher.h"

#include "ui/desktop/XTestKeyboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

namespace zephyl {

SystemLauncher::SystemLauncher(QObject* context)
    : m_context(context), m_keyboard(XTestKeyboard::Open()) {}

SystemLauncher::~SystemLauncher() = default;

bool SystemLauncher::StartProgram(const QString& program, const QStringList& arguments,
                                  const QString& workingFolder) {
    // Detached: the program outlives ours and is never waited for.
    return QProcess::startDetached(program, arguments, workingFolder);
}

void SystemLauncher::SetClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

QString SystemLauncher::ClipboardText() const {
    return QGuiApplication::clipboard()->text();
}

bool SystemLauncher::CanSendKeys() const {
    return m_keyboard != nullptr;
}

void SystemLauncher::SendKey(PasteKey key, bool down) {
    if (m_keyboard != nullptr) {
        m_keyboard->Send(key, down);
    }
}

void SystemLauncher::After(int milliseconds, std::function<void()> step) {
    if (m_context != nullptr) {
        QTimer::singleShot(milliseconds, m_context.data(), std::move(step));
    }
}

}  // namespace zephyl
