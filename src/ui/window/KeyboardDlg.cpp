// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/KeyboardDlg.h"

#include "app/CommandFailures.h"
#include "app/KeyboardController.h"
#include "glint/SkinImage.h"
#include "store/SQLiteDB.h"
#include "text/CurrentLanguage.h"
#include "text/LanguageText.h"
#include "platform/Log.h"
#include "platform/Memory.h"
#include "ui/capture/XkbKeyNames.h"
#include "ui/desktop/ToolkitLanguage.h"
#include "ui/window/ConnectionModeView.h"
#include "ui/window/CustomLightPage.h"
#include "ui/window/DesktopServices.h"
#include "ui/window/HomePage.h"
#include "ui/window/KeyPage.h"
#include "ui/window/LightingPage.h"
#include "ui/window/MacroPage.h"
#include "ui/window/MusicPage.h"
#include "ui/window/ScreenPage.h"
#include "ui/window/SettingsPage.h"
#include "ui/window/UserLightPage.h"

#include <QGuiApplication>
#include <QScreen>

namespace zephyl::window {
namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;
constexpr int kFirmwareCheckTimer = 300;
constexpr int kReleaseImagesTimer = 301;
/// Long enough for a page switched to to have painted, so the pictures it shows are kept, and
/// for the Home animation to have decoded its frames once, so their scratch memory goes too.
constexpr int kReleaseImagesDelayMs = 2000;
constexpr int kAnimationPeriodMs = 16;
constexpr int kLanguageChangedMessage = 2022;

}  // namespace

const TabEntry kTabs[kTabCount] = {
    {0, 50, "icon\\tab_home.png", 50, nullptr},
    {1, 51, "icon\\tab_customkey.png", 51, "icon\\icon_keyboard.png"},
    {2, 56, "icon\\tab_macro.png", 52, "icon\\icon_macro.png"},
    {3, 52, "icon\\tab_light.png", 53, "icon\\icon_light.png"},
    {9, 59, "icon\\tab_tft.png", 58, "icon\\icon_tft.png"},
    {5, 54, "icon\\tab_userlight.png", 54, "icon\\icon_userlight.png"},
    {6, 55, "icon\\tab_customlight.png", 55, "icon\\icon_customlight.png"},
    {7, 58, "icon\\tab_music.png", 56, "icon\\icon_music.png"},
    {8, 57, "icon\\tab_config.png", 57, "icon\\icon_config.png"},
};

KeyboardDlg::KeyboardDlg(std::shared_ptr<KeyboardController> controller,
                         std::unique_ptr<WindowServices> services)
    : KeyboardDlg(std::move(controller), std::move(services), Options{}) {}

KeyboardDlg::KeyboardDlg(std::shared_ptr<KeyboardController> controller,
                         std::unique_ptr<WindowServices> services, Options options)
    : m_controller(std::move(controller)),
      m_services(std::move(services)),
      m_options(options),
      m_gate(std::make_shared<PageGate>()) {
    if (!m_options.keyNames) {
        m_options.keyNames = XkbKeyNameSource();
    }
    if (!m_services) {
        m_services = std::make_unique<DesktopServices>(
            this, std::shared_ptr<SettingsStore>(m_controller, &m_controller->Settings()),
            m_controller->Database(), m_options.keyNames);
    }
    m_context.window = this;
    m_context.controller = m_controller.get();
    m_context.services = m_services.get();
    m_context.gate = m_gate;
    m_context.applyLanguageTexts = [this] { ApplyLanguageTexts(); };
    m_context.keyNames = m_options.keyNames;

    m_home = std::make_unique<HomePage>(m_context);
    m_keys = std::make_unique<KeyPage>(m_context);
    m_macros = std::make_unique<MacroPage>(m_context);
    m_lighting = std::make_unique<LightingPage>(m_context);
    m_userLight = std::make_unique<UserLightPage>(m_context);
    m_customLight = std::make_unique<CustomLightPage>(m_context);
    m_music = std::make_unique<MusicPage>(m_context);
    m_settings = std::make_unique<SettingsPage>(m_context);
    m_screen = std::make_unique<ScreenPage>(m_context);
    // Creation order of the pages.
    m_pages = {m_home.get(),     m_keys.get(),      m_macros.get(),
               m_lighting.get(), m_userLight.get(), m_customLight.get(),
               m_music.get(),    m_settings.get(),  m_screen.get()};
}

KeyboardDlg::~KeyboardDlg() {
    // The worker stops and lets go of the window before anything of the window goes.
    m_controller->Shutdown();
    m_gate->Close();
}

bool KeyboardDlg::CreateMainWindow() {
    QRect rect(0, 0, kWindowWidth, kWindowHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        rect.moveCenter(screen->availableGeometry().center());
    }
    if (!Create(nullptr, QStringLiteral("Zephyl Keyboard Driver"),
                glint::kStyleDialog & ~glint::kStyleVisible, 0, rect)) {
        return false;
    }
    // The pages are laid out for this size: smaller, their controls would overlap.
    setMinimumSize(kWindowWidth, kWindowHeight);
    CenterWindow();
    return true;
}

void KeyboardDlg::ComeForward() {
    ShowWindow(glint::kShowNormal);
    raise();
    activateWindow();
}

void KeyboardDlg::InitUI(const QRect& rect) {
    // The file choosers and the fields' menus speak the program's language too.
    UseToolkitLanguage(CurrentLanguageId());
    BuildFrame(rect);
    BuildTabs();
    m_home->Build(m_containers[0]);
    BuildFooter();
    // The pages in their creation order, each inside its container.
    for (Page* page : {static_cast<Page*>(m_keys.get()), static_cast<Page*>(m_macros.get()),
                       static_cast<Page*>(m_lighting.get()), static_cast<Page*>(m_userLight.get()),
                       static_cast<Page*>(m_customLight.get()), static_cast<Page*>(m_music.get()),
                       static_cast<Page*>(m_settings.get()), static_cast<Page*>(m_screen.get())}) {
        page->Build(m_containers[size_t(page->ContainerId() - 50)]);
    }
    ShowHomeLook();
    m_tabs->SetVisible(false);
}

void KeyboardDlg::UISize(const QRect& rect) {
    LayoutFrame(rect);
    const QSize pageSize(rect.width() - 61, rect.height() - 61);
    for (Page* page : m_pages) {
        page->Layout(pageSize);
    }
}

bool KeyboardDlg::OnInitDialog() {
    m_controller->SetView(this);
    // Reading the models again with the window attached fills the key views of the pages.
    m_controller->LoadDeviceDescriptions();
    FillFromDescriptions();
    SetMTimer(kAnimationPeriodMs);
    KeyPage* keys = m_keys.get();
    m_services->StartDesktop(
        *m_controller,
        [gate = m_gate, keys](int profile) {
            gate->Run([keys, profile] { keys->ShowProfileOfKey(profile); });
        },
        [this] { ShowCloseTooltip(); });
    if (m_options.startWorker) {
        m_controller->StartDeviceNotifications();
        m_controller->Start();
    }
    return true;
}

void KeyboardDlg::OnTimer(int id) {
    if (id == kFirmwareCheckTimer) {
        KillTimer(kFirmwareCheckTimer);
        m_settings->OfferFirmwareUpdate();
    } else if (id == kReleaseImagesTimer) {
        KillTimer(kReleaseImagesTimer);
        if (glint::SkinImage::ReleaseUnused() > 0) {
            ReturnFreeMemory();
        }
    }
}

int KeyboardDlg::OnWindowMessage(int message, std::intptr_t, std::intptr_t) {
    if (message == kLanguageChangedMessage) {
        ApplyLanguageTexts();
        return 1;
    }
    return 0;
}

void KeyboardDlg::OnCloseRequest() {
    // The desktop's close (Alt+F4, the task bar) behaves as the close button.
    OnClose();
}

int KeyboardDlg::OnMessage(int id, int code, int value) {
    const std::uint64_t busyBefore = SQLiteBusyFailures();
    const int handled = RouteMessage(id, code, value);
    if (SQLiteBusyFailures() != busyBefore) {
        // A store write of the operation gave up: what the page shows may not be stored.
        m_services->ShowMessageBox(QString::fromStdString(LanguageText(kCaptionSection, 1)),
                                   QString::fromStdString(FailureMessage(kTextDatabaseBusy)),
                                   kMessageOk);
    }
    return handled;
}

int KeyboardDlg::RouteMessage(int id, int code, int value) {
    Page* owner = nullptr;
    for (Page* page : m_pages) {
        if (page->Owns(id)) {
            owner = page;
            break;
        }
    }
    // The control's page decides which of its events count; the frame's own controls count
    // clicks, and the tab strip every event.
    if (!(owner ? owner->AcceptsEvent(id, code) : FrameAcceptsEvent(id, code))) {
        return 0;
    }
    if (const int handled = OnFrameEvent(id, code, value)) {
        return handled;
    }
    return owner ? owner->OnEvent(id, code, value) : 0;
}

void KeyboardDlg::ApplyLanguageTexts() {
    UseToolkitLanguage(CurrentLanguageId());
    ApplyFrameTexts();
    for (Page* page : m_pages) {
        page->ApplyLanguageTexts();
    }
    update();
}

// ---- Pages ----

void KeyboardDlg::SelectTab(int index) {
    m_tabs->SetSelectItem(index);
    SwitchPage(index);
}

void KeyboardDlg::SwitchPage(int index) {
    if (index < 0 || index >= kTabCount) {
        return;
    }
    const int previous = m_tabIndex.load();
    if (previous == kTabMusic && index != kTabMusic) {
        m_music->StopMusicLighting();
    }
    const int itemId = m_tabs->GetItemID(index);
    if (itemId == 0) {
        ShowHomeLook();
    } else {
        ShowPagesLook(index);
        switch (index) {
            case kTabKeys:
                // Programs started since the page was last shown are offered too.
                m_keys->RefreshRunningPrograms();
                break;
            case kTabLighting:
                m_lighting->Refresh();
                break;
            case kTabUserLight:
            case kTabCustomLight:
                // Both lighting pages re-apply the per-key effect chosen on the custom page.
                m_customLight->Refresh();
                break;
            case kTabMusic:
                m_music->StartMusicLighting();
                break;
            default:
                break;
        }
        m_rememberedTab.store(index);
    }
    // The custom lighting picture animates only while it is the page shown.
    m_customLight->SetShown(itemId != 0 && index == kTabCustomLight);
    m_tabIndex.store(index);
    m_tabId.store(itemId);
    m_controller->SetCurrentPage(itemId, kTabFeatures[index]);
    // Pictures of the pages left behind are freed once this one has painted.
    RunOnWindowThread([] { glint::SkinImage::NewRound(); });
    SetTimer(kReleaseImagesTimer, kReleaseImagesDelayMs);
}

int KeyboardDlg::TabToOpen(int requested) const {
    const int mode = m_connectionMode.load();
    int index = mode == kModeCable ? m_rememberedTab.load() : requested;
    if (index >= kTabKeys && index < kTabCount && m_tabs->GetItemVisible(index)) {
        return index;
    }
    for (int candidate = kTabKeys; candidate < kTabCount; ++candidate) {
        if (m_tabs->GetItemVisible(candidate)) {
            return candidate;
        }
    }
    return kTabKeys;
}

std::vector<glint::KeyboardCtrl*> KeyboardDlg::KeyViews(int features) const {
    std::vector<glint::KeyboardCtrl*> views;
    const std::pair<int, glint::KeyboardCtrl*> all[] = {
        {kFeatureKeys, m_keys->KeyView()},
        {kFeatureLightModes, m_lighting->KeyView()},
        {kFeatureUserLight, m_userLight->KeyView()},
        {kFeatureCustomLight, dynamic_cast<glint::KeyboardCtrl*>(m_customLight->LightModeView())},
        {kFeatureMusic, m_music->KeyView()},
        {kFeatureSettings, m_settings->KeyView()},
    };
    for (const auto& [feature, view] : all) {
        if ((features & feature) != 0 && view) {
            views.push_back(view);
        }
    }
    return views;
}

std::string KeyboardDlg::ModelName() const {
    std::lock_guard lock(m_modelMutex);
    return m_modelName;
}

}  // namespace zephyl::window
