// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/HomePage.h"

#include "app/KeyboardController.h"

namespace zephyl::window {

void HomePage::BuildControls() {
    m_devices = Make<glint::CDeviceList>(kDeviceList);
    m_hint = MakeArea<glint::MText>(kHint);
    m_hint->SetAlignment(glint::kAlignCenter);
    m_hint->SetVisible(false);
    OnLanguage([this] { ShowHintText(); });
}

void HomePage::ShowProblem(const std::string& problem) {
    {
        std::lock_guard lock(m_problemMutex);
        m_problem = problem;
    }
    ShowHintText();
}

void HomePage::ShowHintText() {
    std::string problem;
    {
        std::lock_guard lock(m_problemMutex);
        problem = m_problem;
    }
    // The way out is a few lines long: a smaller font, wrapped in the same band.
    m_hint->SetFontSize(problem.empty() ? 18 : 13);
    m_hint->SetMultiLine(!problem.empty());
    m_hint->SetTitle(problem.empty() ? Text(63) : QString::fromStdString(problem));
}

void HomePage::FillModels(const std::vector<KeyboardModel>& models, int selectedDeviceType) {
    m_devices->ClearList();
    for (const KeyboardModel& model : models) {
        m_devices->AddDevice(QString::fromStdString(model.name), model.deviceType,
                             QString::fromStdString(model.disconnectedPicture),
                             QString::fromStdString(model.connectedPicture));
    }
    m_devices->SetSelectDevice(selectedDeviceType);
}

void HomePage::ShowHint(bool shown) {
    m_hint->SetVisible(shown);
}

void HomePage::Layout(const QSize& size) {
    // The home page fills the window; its container starts at (60, 60).
    constexpr int kOffset = 60;
    const int right = size.width() + kOffset + 1;
    const int bottom = size.height() + kOffset + 1;
    m_hint->SetRect(
        glint::RectLTRB(100 - kOffset, 150 - kOffset, right - 100 - kOffset, 300 - kOffset));
    m_devices->SetRect(glint::RectLTRB(100 - kOffset, bottom - 150 - kOffset, right - 60 - kOffset,
                                       bottom - 50 - kOffset));
}

int HomePage::OnEvent(int id, int code, int) {
    if (id != kDeviceList || code != glint::kEventClick) {
        return 0;
    }
    const int deviceType = m_devices->GetSelectDevice();
    if (deviceType == 0) {
        return 0;
    }
    Controller().OnModelChosen(deviceType);
    return 1;
}

}  // namespace zephyl::window
