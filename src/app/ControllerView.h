// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ConnectionState.h"
#include "device/KeyboardSettings.h"

#include <string>

namespace zephyl {

class LayoutView;

/// The settings page as the stored values set it.
struct SettingsPageView {
    KeyboardSettings settings;
    bool fnArrangementVisible = false;
    bool responseTimeVisible = false;
    bool sleepTimeVisible = false;
    bool sideLightVisible = false;
};

/// What the controller changes in the window. The worker calls these from its own thread: an
/// implementation must not wait for the window thread.
class ControllerView {
public:
    virtual ~ControllerView() = default;

    // Model list of the home page.
    virtual void SetAllDeviceState(int state) = 0;
    virtual void SetDeviceState(int deviceType, int state) = 0;
    virtual void SetSelectDevice(int deviceType) = 0;

    virtual void ShowConnectedView(int tab) = 0;
    virtual void ShowDisconnectedView() = 0;
    virtual void ShowConnectionMode(const ConnectionState& state) = 0;
    virtual void SetBatteryLevel(int percent) = 0;
    virtual void ShowSettingsPage(const SettingsPageView& page) = 0;

    /// Closes the open wait dialog, if any.
    virtual void CloseWaitDialog() = 0;
    /// How long the worker lets a closing wait dialog go before the next command, in ms. Only a
    /// window with wait dialogs needs it.
    virtual int WaitDialogClosePauseMs() const { return 0; }
    /// The firmware tool runs: the window's controls are disabled and the window hidden.
    virtual void SetUpdaterRunning(bool running) = 0;
    /// The worker loaded a feature's page (its loader ran) or changed what it shows: the page
    /// reads the store again. The feature bit names the page.
    virtual void OnPageLoaded(int /*feature*/) {}
    /// A queued command did not do its work; `reason` is one line in the current language.
    virtual void ShowCommandFailed(const std::string& /*reason*/) {}
    /// The model's profile database cannot be used: which file, and why. Nothing is stored
    /// until it is mended or moved away.
    virtual void ShowStoreProblem(const std::string& /*problem*/) {}
    /// A keyboard is plugged in that this user may not open: what to tell, in place of "no
    /// keyboard found"; empty when there is none (or another keyboard is connected).
    virtual void ShowAccessProblem(const std::string& /*problem*/) {}

    /// The window parts of loading a layout; null when there is no window.
    virtual LayoutView* Layout() = 0;
};

/// A window that shows nothing: the command line and tests that only look at the keyboard.
class NullControllerView : public ControllerView {
public:
    void SetAllDeviceState(int) override {}
    void SetDeviceState(int, int) override {}
    void SetSelectDevice(int) override {}
    void ShowConnectedView(int) override {}
    void ShowDisconnectedView() override {}
    void ShowConnectionMode(const ConnectionState&) override {}
    void SetBatteryLevel(int) override {}
    void ShowSettingsPage(const SettingsPageView&) override {}
    void CloseWaitDialog() override {}
    void SetUpdaterRunning(bool) override {}
    LayoutView* Layout() override { return nullptr; }
};

}  // namespace zephyl
