// SPDX-License-Identifier: GPL-2.0-or-later
// The key page's programs: which programs make the selected profile current, and the follower
// that switches profiles as the focus moves between programs.
#include "ui/window/KeyPage.h"

#include "app/CommandFailures.h"
#include "app/KeyboardController.h"
#include "appprofiles/AppBindings.h"
#include "appprofiles/AppProfileFollower.h"
#include "appprofiles/X11FocusSource.h"
#include "store/ProfileDatabase.h"
#include "ui/window/WindowServices.h"

#include <algorithm>

namespace zephyl::window {
namespace {

constexpr int kTextBoundPrograms = 990;
constexpr int kTextBind = 991;
constexpr int kTextUnbind = 992;
constexpr int kTextNeedsX11 = 993;
constexpr int kTextCurrentProfile = 994;
constexpr int kTextEmptyName = 914;
constexpr int kTextBadProgramName = 964;

QString WithValue(int text, const QString& value) {
    QString format = Text(text);
    return format.contains(QLatin1String("%s")) ? format.replace(QLatin1String("%s"), value)
                                                : format + ' ' + value;
}

}  // namespace

void KeyPage::BuildAppControls() {
    m_appStatus = MakeArea<glint::MText>(kAppStatus);
    m_appStatus->SetMultiLine(true);
    MakeText(kAppTitle, kTextBoundPrograms);
    m_appList = MakeList(kAppList);
    m_appChoice = MakeCombo(kAppChoice);
    // Programs come and go while the window is open: the list is read again as it opens.
    m_appChoice->SetDropDownHandler([this] { RefreshRunningPrograms(); });
    m_appName = Make<glint::MEdit>(kAppName);
    m_appName->SetLimitText(static_cast<int>(kMaxProgramName));
    MakeButton(kBindApp, kTextBind);
    MakeButton(kUnbindApp, kTextUnbind);
    // The display is asked nothing until the page first loads: the window's start stays free
    // of it, and a keyboard that never connects never needs it.
    OnLanguage([this] {
        if (!m_followAvailable.load()) {
            m_appStatus->SetTitle(Text(kTextNeedsX11));
            return;
        }
        std::lock_guard lock(m_mutex);
        if (m_statusProfile > 0) {
            ShowCurrentProfileLocked(m_statusProgram, m_statusProfile);
        }
    });
}

void KeyPage::LayoutAppControls(int bottom, int listWidth) {
    // The profile list keeps the upper part of the panel; the programs take its foot.
    const int top = bottom - 236;
    m_profiles->SetRect(glint::RectLTRB(20, 66, listWidth, top - 6));
    m_appStatus->SetRect(glint::RectLTRB(20, top, listWidth, top + 36));
    Place(Window().GetControl(kAppTitle), glint::RectLTRB(20, top + 38, listWidth, top + 58));
    m_appList->SetRect(glint::RectLTRB(20, top + 60, listWidth, top + 124));
    m_appChoice->SetRect(glint::RectLTRB(20, top + 130, listWidth, top + 158));
    m_appName->SetRect(glint::RectLTRB(20, top + 164, listWidth, top + 190));
    const int middle = (20 + listWidth) / 2;
    Place(Window().GetControl(kBindApp), glint::RectLTRB(20, top + 196, middle - 4, top + 226));
    Place(Window().GetControl(kUnbindApp),
          glint::RectLTRB(middle + 4, top + 196, listWidth, top + 226));
}

void KeyPage::StartFollowingPrograms() {
    std::call_once(m_followStarted, [this] {
        // Under Wayland an X display may still be there for older programs, but its active
        // window says nothing about the native windows that have the focus.
        auto source = WaylandSession() ? nullptr : X11FocusSource::Open();
        if (!source) {
            m_followAvailable.store(false);
            m_appStatus->SetTitle(Text(kTextNeedsX11));
            return;
        }
        FillRunningPrograms();
        m_programsRead.store(true);
        m_follower = std::make_unique<AppProfileFollower>(Controller(), std::move(source));
        m_follower->SetSwitchShown(
            [gate = m_context.gate, this](int profile, const std::string& program) {
                gate->Run([this, profile, &program] { ShowAutomaticProfile(profile, program); });
            });
        m_follower->Start();
    });
}

void KeyPage::ShowAutomaticProfile(int profile, const std::string& program) {
    std::lock_guard lock(m_mutex);
    m_profileList.ReloadEntries();
    ShowProfileEntries();
    m_keyboard->SetEnabled(m_profileList.PictureEnabled());
    ShowLayerAssignments(profile);
    ShowBindings(profile);
    ShowCurrentProfileLocked(program, profile);
}

void KeyPage::ShowCurrentProfileLocked(const std::string& program, int profile) {
    if (!m_followAvailable.load()) {
        return;  // the line says that switching needs X11
    }
    if (profile <= 0) {
        profile = Controller().CurrentProfile();
    }
    if (profile <= 0) {
        return;
    }
    m_statusProfile = profile;
    m_statusProgram = program;
    QString name = QString::number(profile);
    for (const ProfileEntry& entry : m_profileList.Entries()) {
        if (entry.id == profile) {
            name = QString::fromStdString(entry.text);
        }
    }
    if (!program.empty()) {
        name += QStringLiteral(" (") + QString::fromStdString(program) + ')';
    }
    const QString line = WithValue(kTextCurrentProfile, name);
    m_appStatus->SetTitle(line);
    Services().ShowTrayStatus(line);
}

void KeyPage::ShowBindings(int profile) {
    m_appList->DeleteAllItems();
    for (const ProfileBinding& binding : ReadBindings(Controller().Database())) {
        if (binding.profile != profile) {
            continue;
        }
        for (size_t i = 0; i < binding.programs.size(); ++i) {
            m_appList->AddString(QString::fromStdString(binding.programs[i]), int(i));
        }
    }
}

void KeyPage::RefreshRunningPrograms() {
    // Before the first page load the display has not been asked; without X11 there is nothing.
    if (!m_followAvailable.load() || !m_programsRead.load()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    FillRunningPrograms();
}

void KeyPage::FillRunningPrograms() {
    m_runningPrograms.clear();
    for (const FocusedProgram& program : RunningPrograms()) {
        // The process name is what stays the same across a program's windows.
        const std::string name = program.Shown();
        if (ValidProgramName(name) && std::find(m_runningPrograms.begin(), m_runningPrograms.end(),
                                                name) == m_runningPrograms.end()) {
            m_runningPrograms.push_back(name);
        }
    }
    std::sort(m_runningPrograms.begin(), m_runningPrograms.end());
    m_appChoice->DelAllItems();
    for (size_t i = 0; i < m_runningPrograms.size(); ++i) {
        m_appChoice->AddItem(QString::fromStdString(m_runningPrograms[i]), int(i));
    }
}

void KeyPage::OnChooseProgram() {
    std::lock_guard lock(m_mutex);
    const int index = m_appChoice->GetCurData();
    if (index >= 0 && size_t(index) < m_runningPrograms.size()) {
        m_appName->SetEditText(QString::fromStdString(m_runningPrograms[size_t(index)]));
    }
}

void KeyPage::OnBindProgram() {
    const std::string program = m_appName->GetEditText().trimmed().toStdString();
    const int profile = Controller().CurrentProfile();
    if (profile <= 0) {
        return;
    }
    if (program.empty()) {
        Services().ShowMessageBox(Text(kTextBind), Text(kTextEmptyName), kMessageOk);
        return;
    }
    switch (BindProgram(Controller().Database(), profile, program)) {
        case BindingChange::kBadName:
            // The typed name stays for the user to correct.
            Services().ShowMessageBox(Text(kTextBind), Text(kTextBadProgramName), kMessageOk);
            return;
        case BindingChange::kStoreFailed:
        case BindingChange::kNoProfile:
            Services().ShowMessageBox(Text(kTextBind), Text(kTextDatabaseBusy), kMessageOk);
            return;
        case BindingChange::kDone:
        case BindingChange::kUnchanged:
            break;
    }
    m_appName->SetEditText(QString());
    ShowBindings(profile);
    std::lock_guard lock(m_mutex);
    FillRunningPrograms();
}

void KeyPage::OnUnbindProgram() {
    const int profile = Controller().CurrentProfile();
    const int index = m_appList->GetCurSel();
    std::string program = index >= 0 ? m_appList->GetItemText(index).toStdString()
                                     : m_appName->GetEditText().trimmed().toStdString();
    if (program.empty() || profile <= 0) {
        return;
    }
    if (UnbindProgram(Controller().Database(), profile, program) == BindingChange::kStoreFailed) {
        Services().ShowMessageBox(Text(kTextUnbind), Text(kTextDatabaseBusy), kMessageOk);
    }
    ShowBindings(profile);
}

}  // namespace zephyl::window
