// SPDX-License-Identifier: GPL-2.0-or-later
// What the controller shows in the window. The worker calls these from its own thread: they
// only use the controls' thread-safe setters and the window's atomics, and never wait.
#include "text/LanguageText.h"
#include "ui/window/ConnectionModeView.h"
#include "ui/window/CustomLightPage.h"
#include "ui/window/HomePage.h"
#include "ui/window/KeyPage.h"
#include "ui/window/KeyboardDlg.h"
#include "ui/window/LightingPage.h"
#include "ui/window/MusicPage.h"
#include "ui/window/ScreenPage.h"
#include "ui/window/SettingsPage.h"
#include "ui/window/WindowServices.h"

namespace zephyl::window {
namespace {

constexpr int kFirmwareCheckTimer = 300;
constexpr int kFirmwareCheckDelayMs = 3000;

}  // namespace

// ---- ControllerView ----

void KeyboardDlg::SetAllDeviceState(int state) {
    m_home->DeviceList()->SetAllDeviceState(state);
}

void KeyboardDlg::SetDeviceState(int deviceType, int state) {
    m_home->DeviceList()->SetDeviceState(deviceType, state);
}

void KeyboardDlg::SetSelectDevice(int deviceType) {
    m_home->DeviceList()->SetSelectDevice(deviceType);
}

void KeyboardDlg::ShowConnectedView(int tab) {
    // A model that is not connected lights no connection icon.
    m_connection->SetVisible(!m_modelAbsent.load());
    m_home->ShowHint(false);
    SelectTab(TabToOpen(tab));
    SetTimer(kFirmwareCheckTimer, kFirmwareCheckDelayMs);
}

void KeyboardDlg::ShowDisconnectedView() {
    m_modelAbsent.store(false);
    ShowAbsentNotice();
    m_battery->SetVisible(false);
    m_connection->SetVisible(false);
    m_home->ShowHint(true);
    SelectTab(kTabHome);
}

void KeyboardDlg::ShowConnectionMode(const ConnectionState& state) {
    const ConnectionModeView view = ComputeConnectionModeView(state);
    m_connectionMode.store(view.mode);
    m_modelAbsent.store(view.modelAbsent);
    ShowAbsentNotice();
    if (view.modelAbsent) {
        m_battery->SetVisible(false);
        m_connection->SetVisible(false);
        m_settings->ShowFirmwareButton(false);
    }
    if (view.changesTabs) {
        for (int index = kTabKeys; index < kTabCount; ++index) {
            m_tabs->SetItemVisible(index, view.tabVisible[size_t(index)]);
        }
    }
    if (view.mode != kModeNone) {
        m_battery->SetVisible(view.batteryVisible);
        m_connection->SetImage(QString::fromStdString(view.modeIcon));
        m_settings->ShowFirmwareButton(view.firmwareButtonVisible);
    }
    m_music->ShowForeColours(view.musicForeColours, view.musicColourControlsVisible);
    m_screen->ShowFrameLimit(view.screenMaxFrames);
}

void KeyboardDlg::SetBatteryLevel(int percent) {
    m_battery->SetBatteryInfo(percent, 0);
}

void KeyboardDlg::ShowSettingsPage(const SettingsPageView& page) {
    m_settings->Show(page);
    m_keys->ShowFnArrangement(page.settings.fnSwitch);
    m_lighting->ShowSideLight(page.sideLightVisible);
}

void KeyboardDlg::OnPageLoaded(int feature) {
    for (Page* page : m_pages) {
        page->OnFeatureLoaded(feature);
    }
}

void KeyboardDlg::ShowCommandFailed(const std::string& reason) {
    // The worker must not wait for the user: the message opens on the window thread.
    const QString message = QString::fromStdString(reason);
    RunOnWindowThread([this, message] {
        // A reason still on screen is not stacked again: a run of changes that cannot be sent
        // (a slider dragged for a model that is not connected) says it once.
        if (m_failuresShown.contains(message)) {
            return;
        }
        m_failuresShown.insert(message);
        m_services->ShowMessageBox(QString::fromStdString(LanguageText(kCaptionSection, 1)),
                                   message, kMessageOk);
        m_failuresShown.remove(message);
    });
}

void KeyboardDlg::ShowStoreProblem(const std::string& problem) {
    ShowCommandFailed(problem);
}

void KeyboardDlg::ShowAccessProblem(const std::string& problem) {
    m_home->ShowProblem(problem);
}

void KeyboardDlg::CloseWaitDialog() {
    m_services->CloseWaitDialog();
}

void KeyboardDlg::SetUpdaterRunning(bool running) {
    EnableWindow(!running);
    ShowWindow(running ? glint::kShowHide : glint::kShow);
}

// ---- LayoutView ----

void KeyboardDlg::ShowModel(const std::string& name, const std::string&) {
    // The window has no model title of its own: the model names the window for the desktop.
    {
        std::lock_guard lock(m_modelMutex);
        m_modelName = name;
    }
    const QString title =
        name.empty()
            ? QStringLiteral("Zephyl Keyboard Driver")
            : QStringLiteral("Zephyl Keyboard Driver – %1").arg(QString::fromStdString(name));
    RunOnWindowThread([this, title] { setWindowTitle(title); });
}

void KeyboardDlg::ShowFirmwareButton(bool shown) {
    m_settings->ShowFirmwareButton(shown);
}

void KeyboardDlg::SetLightSliderMaxima(int brightnessMax, int speedMax) {
    m_lighting->SetSliderMaxima(brightnessMax, speedMax);
}

void KeyboardDlg::ClearKeyViews(int features) {
    for (glint::KeyboardCtrl* view : KeyViews(features)) {
        view->ClearItem();
    }
}

void KeyboardDlg::PlaceKeyViews(int features, const Rect&, const std::string& picture, int width,
                                int height, std::uint32_t backgroundColour) {
    // Each page places its picture itself; the picture scales the keys into it.
    for (glint::KeyboardCtrl* view : KeyViews(features)) {
        view->SetKeyboardImage(QString::fromStdString(picture));
        view->SetWidthAndHeight(width, height);
        view->SetKeyboardColor(backgroundColour);
    }
}

void KeyboardDlg::AddKey(int features, const LayoutKey& key, bool) {
    for (glint::KeyboardCtrl* view : KeyViews(features)) {
        view->AddKeyItem(key);
    }
}

void KeyboardDlg::SetCustomLightKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap,
                                       int rows, int columns) {
    m_customLight->SetKeyMap(workMap, rows, columns);
}

void KeyboardDlg::ApplyLayoutVisibility(const KeyboardLayout& layout) {
    m_settings->ApplyLayoutVisibility(layout);
    m_keys->ApplyLayoutVisibility(layout);
    m_lighting->ShowSideLight(layout.HasCableFeature(kFeatureSideLight));
}

}  // namespace zephyl::window
