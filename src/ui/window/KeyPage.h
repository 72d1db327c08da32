// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/ControllerView.h"
#include "keys/ProfileList.h"
#include "ui/window/Page.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zephyl {
class AppProfileFollower;
class KeySelection;
struct KeyAssignment;
struct KeyboardLayout;
}  // namespace zephyl

namespace zephyl::window {

/// The custom keys page: the profile list with its tools, the keyboard picture showing the
/// current profile's assignments on the layer shown, the layer buttons and the Fn arrangement.
class KeyPage : public Page {
public:
    static constexpr int kContainer = 51;
    enum Id : int {
        kAddProfile = 65,
        kDeleteProfile = 66,
        kRenameProfile = 67,
        kImport = 68,
        kExport = 69,
        kPanel = 70,
        kProfiles = 71,
        kStandardLayer = 77,
        kFnLayer = 78,
        kFnModeText = 73,
        kFnKeysFirst = 79,
        kMediaKeysFirst = 80,
        kHint = 72,
        kKeyboard = 74,
        kFunctions = 76,
        // The programs bound to the profile, and the automatic switching's state.
        kAppStatus = 981,
        kAppTitle = 982,
        kAppList = 983,
        kAppChoice = 984,
        kAppName = 985,
        kBindApp = 986,
        kUnbindApp = 987,
    };
    /// Commands of the key's context menu.
    enum MenuCommand : int { kMenuOwnFunction = 606, kMenuDisable = 607, kMenuAssign = 608 };

    explicit KeyPage(const PageContext& context);
    ~KeyPage() override;

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void ApplyLanguageTexts() override;
    void OnFeatureLoaded(int feature) override;

    /// The Fn arrangement as stored, and whether the model has an Fn layer. Any thread.
    void ShowFnArrangement(int fnSwitch);
    void ApplyLayoutVisibility(const KeyboardLayout& layout);

    /// A key of the keyboard made `profile` current: its assignments are shown, the list keeps
    /// its selection and nothing is sent.
    void ShowProfileOfKey(int profile);
    /// The focused program made `profile` current (`program` the bound name that matched,
    /// empty when the user's own profile came back): the list selects it, its assignments
    /// are shown and the window and the tray say which profile is current. Any thread.
    void ShowAutomaticProfile(int profile, const std::string& program);

    /// Reads the programs of the session's windows again into the chooser (the page is shown,
    /// the chooser opens). Window thread.
    void RefreshRunningPrograms();

    glint::KeyboardCtrl* KeyView() const { return m_keyboard; }
    int CurrentLayer() const;

protected:
    void BuildControls() override;

private:
    /// The key page's part of a page load: the profile list with the current profile chosen,
    /// and its assignments on the current layer. Any thread.
    void OnPageLoaded();
    KeySelection& Selection() const;
    /// Shows the entries of the profile list and its selection; caller holds m_mutex.
    void ShowProfileEntries();
    /// Marks and tips of the keyboard picture for `profile` on the current layer. Any thread.
    void ShowLayerAssignments(int profile);
    void ShowLayerButtons(int layer);

    /// Runs a profile operation that may change the list, then shows its result.
    void RunProfileOperation(PageOutcome (ProfileList::*operation)());
    void OnSelectProfile();
    void OnProfileRenamed();
    void OnImport();
    void OnExport();
    void OnSelectKey(bool rightButton);
    /// The chooser's groups and functions in the current language.
    void FillFunctionList();
    /// The chooser checks the function of a key or consumer assignment, and nothing otherwise.
    void ShowFunctionOf(const KeyAssignment& assignment);
    void OnApplyFunction();
    void OnApplyAssignment(const KeyAssignment& record);
    void OnAssignmentDialog();
    void OnSelectLayer(int layer);
    void OnFnArrangement(int fnSwitch);
    /// After a profile operation: the list, the current profile and its assignments.
    void AfterProfileChange();
    /// Whether the selected key may change on the layer shown; says so when it may not.
    bool SelectedKeyAssignable();

    // The programs bound to profiles (KeyPageApps.cpp).
    void BuildAppControls();
    void LayoutAppControls(int bottom, int listWidth);
    /// The automatic switching starts with the first page load where an X11 session is there;
    /// without one the page says it needs one. Any thread.
    void StartFollowingPrograms();
    /// The programs bound to `profile` in their list. Any thread.
    void ShowBindings(int profile);
    /// Says which profile is in force (`profile`, else the controller's current one), and the
    /// bound program that chose it when one did, on the page and in the tray. Does nothing
    /// where programs cannot be followed. Caller holds m_mutex.
    void ShowCurrentProfileLocked(const std::string& program, int profile = 0);
    /// The programs of the session's windows in the chooser; caller holds m_mutex.
    void FillRunningPrograms();
    void OnChooseProgram();
    void OnBindProgram();
    void OnUnbindProgram();

    std::mutex m_mutex;  ///< the profile list: loaded on the worker, edited on the window thread
    ProfileList m_profileList;

    glint::MListBox* m_profiles = nullptr;
    glint::MButton* m_layerButtons[2] = {};
    glint::MText* m_fnModeText = nullptr;
    glint::KeyLayerButton* m_fnButtons[2] = {};
    glint::MText* m_hint = nullptr;
    glint::KeyboardCtrl* m_keyboard = nullptr;
    glint::KeyFuncControl* m_functions = nullptr;

    glint::MText* m_appStatus = nullptr;
    glint::MListBox* m_appList = nullptr;
    glint::MComboBox* m_appChoice = nullptr;
    glint::MEdit* m_appName = nullptr;
    std::vector<std::string> m_runningPrograms;  ///< the chooser's items; under m_mutex
    std::once_flag m_followStarted;
    std::atomic<bool> m_followAvailable{true};  ///< false once the first load found no X11
    std::atomic<bool> m_programsRead{false};    ///< the first load has asked the display
    int m_statusProfile = 0;      ///< the profile the line names, 0 for none; under m_mutex
    std::string m_statusProgram;  ///< the program that chose it, empty for the user; m_mutex
    std::unique_ptr<AppProfileFollower> m_follower;
};

}  // namespace zephyl::window
