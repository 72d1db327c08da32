// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/TrayIcon.h"

#include "glint/MWindow.h"
#include "glint/Manager.h"
#include "text/LanguageText.h"

#include <QMenu>

namespace zephyl {

namespace {

QString Text(int id) {
    return QString::fromStdString(LanguageText(id));
}

}  // namespace

TrayIcon::TrayIcon(glint::MWindow* window, QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>()) {
    if (window != nullptr) {
        m_restore = [window] { window->ShowWindow(glint::kShowNormal); };
    }
    const int commands[] = {kCommandClosingBehaviour, kCommandExit};
    for (int command : commands) {
        QAction* action = m_menu->addAction(QString());
        action->setData(command);
        QObject::connect(action, &QAction::triggered, this, [this, command] {
            if (m_command) {
                m_command(command);
            }
        });
    }
    RefreshMenuTexts();
    // The language may change while the program runs; the menu speaks the current one.
    QObject::connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { RefreshMenuTexts(); });
}

TrayIcon::~TrayIcon() {
    RemoveTrayIcon();
}

void TrayIcon::RefreshMenuTexts() {
    for (QAction* action : m_menu->actions()) {
        action->setText(
            Text(action->data().toInt() == kCommandExit ? kTextExit : kTextClosingBehaviour));
    }
}

QString TrayIcon::TipText(const QString& softwareName) {
    return softwareName.left(kTipLength);
}

bool TrayIcon::AddTrayIcon() {
    if (m_icon == nullptr) {
        // A missing icon file still gives an entry; the notification area draws a blank.
        const QIcon icon = glint::MRender::LoadIconFromFile(
            glint::Manager::SkinFile(QStringLiteral("DeviceDriver.ico")));
        m_icon = std::make_unique<QSystemTrayIcon>(icon);
        m_icon->setToolTip(TipText(glint::Manager::GetDeviceName()));
        m_icon->setContextMenu(m_menu.get());
        QObject::connect(
            m_icon.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { OnTrayCallback(reason); });
        m_icon->show();
    }
    return InTray();
}

void TrayIcon::RemoveTrayIcon() {
    if (m_icon == nullptr) {
        return;
    }
    std::unique_ptr<QSystemTrayIcon> icon = std::move(m_icon);
    icon->hide();
}

bool TrayIcon::InTray() const {
    return m_icon != nullptr && QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::SetCommandHandler(std::function<void(int)> handler) {
    m_command = std::move(handler);
}

void TrayIcon::SetRestoreHandler(std::function<void()> handler) {
    m_restore = std::move(handler);
}

void TrayIcon::OnTrayCallback(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick:
            if (m_restore) {
                m_restore();
            }
            break;
        default:
            // The context menu is shown by the notification area itself.
            break;
    }
}

}  // namespace zephyl
