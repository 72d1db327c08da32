// SPDX-License-Identifier: GPL-2.0-or-later
// The program's icon in the notification area.
//
//   TrayIcon(window)             a click or double click on the icon, or the menu's "Show"
//                                (text 963), brings `window` back: shown normally, raised,
//                                activated, and moved wholly onto the screen it is on
//   bool AddTrayIcon()           shows the icon: skin "DeviceDriver.ico", tip = the software
//                                name (at most 127 characters); false when no tray is there
//   void RemoveTrayIcon()        removes it; nothing when it is not shown
//   bool IsShown()               the icon is shown (the mark that it must be removed)
//   bool InTray()                shown and a notification area shows it
//   SetCommandHandler(f)         f(100) for "exit" (text 11), f(200) for "closing behaviour"
//                                (text 10); the menu lists Show, 200 then 100 in the program's
//                                look, texts read afresh on every showing
//   PlacedOnScreen(frame, screen)   where a window frame goes so that it lies on the screen
//   SetRestoreHandler(f)         replaces what a click does
//   SetStatusLine(line)          a second line of the tip (the profile a program made current);
//                                any thread, the tip changes on the icon's thread
//   OnTrayCallback(reason)       what the icon reports; the window thread
//   Menu()                       the context menu (tests and the window)
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

class QMenu;

namespace zephyl {

namespace glint {
class MWindow;
}

class TrayIcon : public QObject {
    Q_OBJECT
public:
    static constexpr int kCommandExit = 100;
    static constexpr int kCommandClosingBehaviour = 200;
    static constexpr int kCommandShow = 300;
    static constexpr int kTextShow = 963;
    static constexpr int kTextClosingBehaviour = 10;
    static constexpr int kTextExit = 11;
    /// The tip holds what the notification area's fixed field took, less its terminator.
    static constexpr int kTipLength = 127;

    explicit TrayIcon(glint::MWindow* window = nullptr, QObject* parent = nullptr);
    ~TrayIcon() override;

    bool AddTrayIcon();
    void RemoveTrayIcon();
    bool IsShown() const { return m_icon != nullptr; }
    bool InTray() const;

    void SetCommandHandler(std::function<void(int command)> handler);
    void SetRestoreHandler(std::function<void()> handler);
    void SetStatusLine(const QString& line);

    void OnTrayCallback(QSystemTrayIcon::ActivationReason reason);

    QMenu* Menu() const { return m_menu.get(); }
    QSystemTrayIcon* Icon() const { return m_icon.get(); }

    /// The tip for a software name, with a status line when there is one.
    static QString TipText(const QString& softwareName, const QString& statusLine = {});

    /// `frame` moved (and, when larger, shrunk) to lie wholly inside `screen`.
    static QRect PlacedOnScreen(const QRect& frame, const QRect& screen);

private:
    void RefreshMenuTexts();

    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::function<void()> m_restore;
    std::function<void(int)> m_command;
};

}  // namespace zephyl
