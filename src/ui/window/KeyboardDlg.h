// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ControllerView.h"
#include "catalogue/KeyboardLayout.h"
#include "glint/Glint.h"
#include "keys/KeyNames.h"
#include "ui/window/Page.h"
#include "ui/window/WindowServices.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zephyl {
class KeyboardController;
}

namespace zephyl::window {

class CustomLightPage;
class HomePage;
class KeyPage;
class LightingPage;
class MacroPage;
class MusicPage;
class ScreenPage;
class SettingsPage;
class UserLightPage;

/// Tab strip positions of the pages.
enum TabIndex : int {
    kTabHome = 0,
    kTabKeys = 1,
    kTabMacros = 2,
    kTabLighting = 3,
    kTabScreen = 4,
    kTabUserLight = 5,
    kTabCustomLight = 6,
    kTabMusic = 7,
    kTabSettings = 8,
    kTabCount = 9,
};

/// One item of the tab strip: its id, page container, icons and text.
struct TabEntry {
    int itemId;
    int container;
    const char* icon;
    int text;
    const char* titleIcon;  ///< null for the home page
};
extern const TabEntry kTabs[kTabCount];

/// The main window: a borderless, skinned 1280 x 720 window with a title bar, a vertical tab
/// strip and one page per feature. It builds the pages, routes the controls' events to them,
/// owns the controller and shows what the controller reports.
///
/// The controller's worker calls the ControllerView and LayoutView operations from its own
/// thread; they only use the controls' thread-safe setters and never wait for the window thread.
class KeyboardDlg : public glint::MDialog, public ControllerView, public LayoutView {
public:
    struct Options {
        /// Start the controller's worker and the plug notifications when the window initialises;
        /// tests drive the controller themselves.
        bool startWorker = true;
        /// Names keys for captures and lists; the user's keyboard layout when empty.
        KeyNameSource keyNames;
    };

    KeyboardDlg(std::shared_ptr<KeyboardController> controller,
                std::unique_ptr<WindowServices> services = nullptr);
    KeyboardDlg(std::shared_ptr<KeyboardController> controller,
                std::unique_ptr<WindowServices> services, Options options);
    ~KeyboardDlg() override;

    /// Creates the window centred on the screen, hidden until `Show`.
    bool CreateMainWindow();
    /// What a second start asks for: show normally, raise and activate.
    void ComeForward();

    /// Sets every language text of the window again from the current language.
    void ApplyLanguageTexts();

    /// A control's event, routed to its page operation; 1 when handled, 0 otherwise.
    int OnMessage(int id, int code, int value) override;

    int CurrentTabIndex() const { return m_tabIndex.load(); }
    int CurrentTabId() const { return m_tabId.load(); }
    /// Whether the full-window home page is showing.
    bool OnHomePage() const { return m_tabIndex.load() == kTabHome; }

    KeyboardController& Controller() { return *m_controller; }
    WindowServices& Services() { return *m_services; }
    HomePage& Home() { return *m_home; }
    KeyPage& Keys() { return *m_keys; }
    MacroPage& Macros() { return *m_macros; }
    LightingPage& Lighting() { return *m_lighting; }
    UserLightPage& UserLight() { return *m_userLight; }
    CustomLightPage& CustomLight() { return *m_customLight; }
    MusicPage& Music() { return *m_music; }
    SettingsPage& Settings() { return *m_settings; }
    ScreenPage& Screen() { return *m_screen; }

    // ---- ControllerView (any thread) ----
    void SetAllDeviceState(int state) override;
    void SetDeviceState(int deviceType, int state) override;
    void SetSelectDevice(int deviceType) override;
    void ShowConnectedView(int tab) override;
    void ShowDisconnectedView() override;
    void ShowConnectionMode(const ConnectionState& state) override;
    void SetBatteryLevel(int percent) override;
    void ShowSettingsPage(const SettingsPageView& page) override;
    void CloseWaitDialog() override;
    int WaitDialogClosePauseMs() const override { return 100; }
    void SetUpdaterRunning(bool running) override;
    void OnPageLoaded(int feature) override;
    void ShowCommandFailed(const std::string& reason) override;
    void ShowStoreProblem(const std::string& problem) override;
    void ShowAccessProblem(const std::string& problem) override;
    LayoutView* Layout() override { return this; }

    // ---- LayoutView (any thread) ----
    void ShowModel(const std::string& name, const std::string& disconnectedPicture) override;
    void ShowFirmwareButton(bool shown) override;
    void SetLightSliderMaxima(int brightnessMax, int speedMax) override;
    void ClearKeyViews(int features) override;
    void PlaceKeyViews(int features, const Rect& rect, const std::string& picture, int width,
                       int height, std::uint32_t backgroundColour) override;
    void AddKey(int features, const LayoutKey& key, bool perKeyColour) override;
    void SetCustomLightKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows,
                              int columns) override;
    void ApplyLayoutVisibility(const KeyboardLayout& layout) override;

    /// The model whose layout is loaded, as the layout named it.
    std::string ModelName() const;

protected:
    void InitUI(const QRect& rect) override;
    void UISize(const QRect& rect) override;
    bool OnInitDialog() override;
    void OnTimer(int id) override;
    int OnWindowMessage(int message, std::intptr_t wParam, std::intptr_t lParam) override;
    void OnCloseRequest() override;

private:
    // Frame and title bar (KeyboardDlgFrame.cpp).
    void BuildFrame(const QRect& rect);
    void BuildTabs();
    void BuildFooter();
    void LayoutFrame(const QRect& rect);
    void FillFromDescriptions();
    void ApplyFrameTexts();
    void FitPageTitle();
    /// The version and copyright lines of the footer, in the current language.
    void ApplyFooterTexts();
    void OnClose();
    void ShowCloseTooltip();
    void OnMinimise();
    void OnWebsite();
    int OnFrameEvent(int id, int code, int value);
    /// The control's event to its page (or the frame); 1 when handled.
    int RouteMessage(int id, int code, int value);
    bool FrameAcceptsEvent(int id, int code) const;

    /// Switches to the tab at `index`: the home look for the home item, else the page look with
    /// the page's title and icon, and the page's refresh. Any thread.
    void SwitchPage(int index);
    /// Selects the tab item and switches to it. Any thread.
    void SelectTab(int index);
    void ShowHomeLook();
    void ShowPagesLook(int index);
    /// While the selected model is not connected, the notice that says so in place of the
    /// footer's copyright line, in the current language. Any thread.
    void ShowAbsentNotice();
    /// The page to open when a keyboard becomes selected.
    int TabToOpen(int requested) const;
    /// The keyboard picture of every page whose feature bit is in `features`.
    std::vector<glint::KeyboardCtrl*> KeyViews(int features) const;

    std::shared_ptr<KeyboardController> m_controller;
    std::unique_ptr<WindowServices> m_services;
    Options m_options;
    std::shared_ptr<PageGate> m_gate;
    PageContext m_context;

    std::unique_ptr<HomePage> m_home;
    std::unique_ptr<KeyPage> m_keys;
    std::unique_ptr<MacroPage> m_macros;
    std::unique_ptr<LightingPage> m_lighting;
    std::unique_ptr<UserLightPage> m_userLight;
    std::unique_ptr<CustomLightPage> m_customLight;
    std::unique_ptr<MusicPage> m_music;
    std::unique_ptr<SettingsPage> m_settings;
    std::unique_ptr<ScreenPage> m_screen;
    std::vector<Page*> m_pages;  ///< in creation order

    // Frame controls.
    glint::MPicture* m_background = nullptr;
    glint::CGifPicture* m_homeAnimation = nullptr;
    std::array<glint::CArea*, 4> m_frameLines{};
    std::array<glint::CArea*, 2> m_titlePanels{};
    glint::MPicture* m_logo = nullptr;
    glint::MText* m_caption = nullptr;
    glint::MText* m_pageTitle = nullptr;
    glint::MPicture* m_pageIcon = nullptr;
    glint::CImageButton* m_close = nullptr;
    glint::CImageButton* m_minimise = nullptr;
    glint::CImageButton* m_website = nullptr;
    glint::BatteryCtrl* m_battery = nullptr;
    glint::MPicture* m_connection = nullptr;
    std::array<glint::MTabLayout*, 10> m_containers{};
    glint::MTabCtrl* m_tabs = nullptr;
    glint::MText* m_version = nullptr;
    glint::MText* m_footer = nullptr;
    glint::MText* m_absentNotice = nullptr;

    QString m_websiteUrl;
    QSet<QString> m_failuresShown;  ///< messages of failed commands on screen; window thread
    std::atomic<int> m_tabIndex{kTabHome};
    std::atomic<int> m_tabId{0};
    std::atomic<int> m_rememberedTab{kTabKeys};
    std::atomic<int> m_connectionMode{-1};
    std::atomic<bool> m_modelAbsent{false};
    mutable std::mutex m_modelMutex;
    std::string m_modelName;
};

}  // namespace zephyl::window
