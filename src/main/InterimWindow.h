// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ControllerView.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>

class QLabel;
class QListWidget;

namespace zephyl {

class KeyboardController;
class LayoutPreview;

/// The window shown until the main window with its pages takes over: the keyboard models with
/// their live connection state, the selected model's keys, and the connection and battery.
class InterimWindow : public QWidget, public NullControllerView {
public:
    explicit InterimWindow(std::shared_ptr<KeyboardController> controller);

    /// What a second start asks for: restore, raise and activate.
    void ComeForward();

    // The controller's calls, from the worker: each is handed to the window thread.
    void SetAllDeviceState(int state) override;
    void SetDeviceState(int deviceType, int state) override;
    void SetSelectDevice(int deviceType) override;
    void ShowConnectedView(int tab) override;
    void ShowDisconnectedView() override;
    void SetBatteryLevel(int percent) override;

private:
    void OnWindowThread(std::function<void()> action);
    void RefreshModelRows();
    void RefreshStatus(bool connected);

    std::shared_ptr<KeyboardController> m_controller;
    QListWidget* m_models = nullptr;
    QLabel* m_status = nullptr;
    LayoutPreview* m_preview = nullptr;
    std::map<int, bool> m_connected;
    int m_battery = 0;
};

}  // namespace zephyl
