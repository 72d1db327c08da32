// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/desktop/TrayIcon.h"

#include "glint/Look.h"
#include "glint/MWindow.h"
#include "glint/Manager.h"
#include "text/LanguageText.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <algorithm>

namespace zephyl {

namespace {

QString Text(int id) {
    return QString::fromStdString(LanguageText(id));
}

int MenuText(int command) {
    switch (command) {
        case TrayIcon::kCommandShow:
            return TrayIcon::kTextShow;
        case TrayIcon::kCommandExit:
            return TrayIcon::kTextExit;
        default:
            return TrayIcon::kTextClosingBehaviour;
    }
}

// A window hidden on a screen that has since gone, or dragged half off it, would come back
// where the user cannot reach it.
void BringBack(glint::MWindow* window) {
    window->ShowWindow(glint::kShowNormal);
    QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect frame = window->frameGeometry();
    const QRect placed = TrayIcon::PlacedOnScreen(frame, screen->availableGeometry());
    if (placed.size() != frame.size()) {
        window->resize(window->size() - (frame.size() - placed.size()));
    }
    if (placed.topLeft() != frame.topLeft()) {
        window->move(placed.topLeft());
    }
}

}  // namespace

TrayIcon::TrayIcon(glint::MWindow* window, QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>()) {
    if (window != nullptr) {
        m_restore = [window] { BringBack(window); };
    }
    glint::look::StyleMenu(*m_menu);
    const int commands[] = {kCommandShow, kCommandClosingBehaviour, kCommandExit};
    for (int command : commands) {
        QAction* action = m_menu->addAction(QString());
        action->setData(command);
        QObject::connect(action, &QAction::triggered, this, [this, command] {
            if (command == kCommandShow) {
                if (m_restore) {
                    m_restore();
                }
            } else if (m_command) {
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
        action->setText(Text(MenuText(action->data().toInt())));
    }
}

QString TrayIcon::TipText(const QString& softwareName, const QString& statusLine) {
    const QString tip = statusLine.isEmpty() ? softwareName : softwareName + '\n' + statusLine;
    return tip.left(kTipLength);
}

QRect TrayIcon::PlacedOnScreen(const QRect& frame, const QRect& screen) {
    QRect placed(frame.topLeft(), frame.size().boundedTo(screen.size()));
    placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() + 1 - placed.width()));
    placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() + 1 - placed.height()));
    return placed;
}

void TrayIcon::SetStatusLine(const QString& line) {
    QMetaObject::invokeMethod(
        this,
        [this, line] {
            if (m_icon) {
                m_icon->setToolTip(TipText(glint::Manager::GetDeviceName(), line));
            }
        },
        Qt::QueuedConnection);
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
