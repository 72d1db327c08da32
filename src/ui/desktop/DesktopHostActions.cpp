// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/DesktopHostActions.h"

#include "app/KeyboardController.h"
#include "platform/Log.h"
#include "text/LanguageText.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace zephyl {

namespace {

const QString kOpener = QStringLiteral("xdg-open");

const char* EnglishText(int textId) {
    switch (textId) {
        case kTextOpenFailed:
            return "%s could not be opened: xdg-open, which opens web pages and files, did not "
                   "start. Installing the xdg-utils package provides it.";
        case kTextProgramNotStarted:
            return "The program %s could not be started.";
        default:
            return "";
    }
}

}  // namespace

QString DesktopMessage(int textId, const QString& target) {
    std::string text = LanguageText(textId);
    if (text.empty()) {
        text = EnglishText(textId);
    }
    QString message = QString::fromStdString(text);
    const qsizetype at = message.indexOf(QStringLiteral("%s"));
    if (at >= 0) {
        message.replace(at, 2, target);
    }
    return message;
}

DesktopHostActions::DesktopHostActions(QObject* context, std::shared_ptr<DesktopLauncher> launcher,
                                       std::function<void(int)> switchProfile,
                                       std::function<void(const QString&)> tellUser)
    : m_context(context),
      m_launcher(std::move(launcher)),
      m_switchProfile(std::move(switchProfile)),
      m_tellUser(std::move(tellUser)) {}

void DesktopHostActions::Post(std::function<void()> work) const {
    // Queued even on the window thread: the caller never runs desktop work inline.
    QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
}

void DesktopHostActions::RunProgram(const std::string& path) {
    Post([launcher = m_launcher, tellUser = m_tellUser, path = QString::fromStdString(path)] {
        if (path.isEmpty()) {
            return;
        }
        QFileInfo file(path);
        if (!path.contains(QLatin1Char('/')) && !file.exists()) {
            // A bare program name, as the shell would find it.
            const QString found = QStandardPaths::findExecutable(path);
            if (!found.isEmpty()) {
                file = QFileInfo(found);
            }
        }
        if (!file.exists()) {
            Log(kLogWarning, "key action: no program %s", path.toUtf8().constData());
            return;
        }
        const bool program = file.isFile() && file.isExecutable();
        bool started = false;
        if (program) {
            started = launcher->StartProgram(file.absoluteFilePath(), {}, file.absolutePath());
        } else {
            // Documents and folders open as the desktop opens them; the absolute path never
            // reads as an option of the opener.
            started = launcher->StartProgram(kOpener, {file.absoluteFilePath()}, {});
        }
        if (!started) {
            Log(kLogWarning, "key action: %s did not start", path.toUtf8().constData());
            if (tellUser) {
                tellUser(DesktopMessage(program ? kTextProgramNotStarted : kTextOpenFailed,
                                        file.absoluteFilePath()));
            }
        }
    });
}

void DesktopHostActions::OpenAddress(const std::string& address) {
    Post([launcher = m_launcher, tellUser = m_tellUser,
          url = QString::fromStdString(DesktopUrl(address))] {
        // An address that began with '-' would reach the opener as an option.
        if (url.isEmpty() || url.startsWith(QLatin1Char('-'))) {
            Log(kLogWarning, "key action: no address to open");
            return;
        }
        if (!launcher->StartProgram(kOpener, {url}, {})) {
            Log(kLogWarning, "key action: %s could not be opened", url.toUtf8().constData());
            if (tellUser) {
                tellUser(OpenFailedMessage(url));
            }
        }
    });
}

void DesktopHostActions::PasteText(const std::string& text) {
    Post([launcher = m_launcher, text = QString::fromStdString(text)] {
        launcher->SetClipboardText(text);
        if (!launcher->CanSendKeys()) {
            // Nothing can press Ctrl+V for the user here; the text waits on the clipboard.
            return;
        }
        launcher->SendKey(PasteKey::kControl, true);
        launcher->SendKey(PasteKey::kV, true);
        launcher->After(kKeyHoldMs, [launcher, text] {
            launcher->SendKey(PasteKey::kV, false);
            launcher->SendKey(PasteKey::kControl, false);
            launcher->After(kClipboardKeepMs, [launcher, text] {
                // Whatever the user copied meanwhile is theirs to keep.
                if (launcher->ClipboardText() == text) {
                    launcher->SetClipboardText(QString());
                }
            });
        });
    });
}

void DesktopHostActions::SwitchProfile(int profile) {
    Post([switchProfile = m_switchProfile, profile] {
        if (switchProfile) {
            switchProfile(profile);
        }
    });
}

}  // namespace zephyl
