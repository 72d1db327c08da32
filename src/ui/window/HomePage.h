// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "catalogue/DeviceCatalogue.h"
#include "ui/window/Page.h"

#include <mutex>
#include <string>
#include <vector>

namespace zephyl::window {

/// The home page: the keyboard models the program knows, each with its connection state, and
/// the hint shown while no keyboard is there. Choosing a model selects it (worker command 4).
class HomePage : public Page {
public:
    static constexpr int kContainer = 50;
    static constexpr int kDeviceList = 62;
    static constexpr int kHint = 60;

    explicit HomePage(const PageContext& context) : Page(context, kContainer) {}

    /// Fills the model list; the stored model is selected.
    void FillModels(const std::vector<KeyboardModel>& models, int selectedDeviceType);
    void ShowHint(bool shown);
    /// A keyboard plugged in that this user may not open: the hint names it and the way out
    /// instead of saying that no keyboard is there. Empty: the usual hint. Any thread.
    void ShowProblem(const std::string& problem);

    void Layout(const QSize& size) override;
    int OnEvent(int id, int code, int value) override;

    glint::CDeviceList* DeviceList() const { return m_devices; }
    glint::MText* Hint() const { return m_hint; }

protected:
    void BuildControls() override;

private:
    glint::CDeviceList* m_devices = nullptr;
    glint::MText* m_hint = nullptr;
    std::mutex m_problemMutex;
    std::string m_problem;  ///< under m_problemMutex
    /// The hint's text and size for the problem (or none).
    void ShowHintText();
};

}  // namespace zephyl::window
