// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/KeyPage.h"

#include "app/KeySelection.h"
#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "appprofiles/AppProfileFollower.h"
#include "catalogue/KeyboardLayout.h"
#include "device/KeyboardSettings.h"
#include "keys/AssignmentKinds.h"
#include "keys/KeyAssignmentEdit.h"
#include "keys/KeyExchange.h"
#include "keys/KeyFunctionList.h"
#include "keys/KeyTexts.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"
#include "text/LanguageText.h"
#include "ui/window/FileChoiceTexts.h"
#include "ui/window/WindowServices.h"

#include <chrono>

namespace zephyl::window {
namespace {

constexpr const char* kLayerShown = "img_btn_layer_p.png";
constexpr const char* kLayerHidden = "img_btn_layer_n.png";
/// Colours the Fn arrangement buttons are given for their two states.
constexpr std::uint32_t kChosenColour = 8421504;
constexpr std::uint32_t kOtherColour = 255;
constexpr int kTextDisabledKey = 202;

TextSource LanguageSource() {
    return [](int id) { return LanguageText(id); };
}

std::uint64_t Tick() {
    return std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

}  // namespace

KeyPage::KeyPage(const PageContext& context)
    : Page(context, kContainer),
      m_profileList(context.controller->Database(), LanguageSource(),
                    context.controller->Selection()) {}

KeyPage::~KeyPage() = default;

void KeyPage::BuildControls() {
    MakeToolButton(kAddProfile, "imgbtn_add.png", 28);
    MakeToolButton(kDeleteProfile, "imgbtn_del.png", 30);
    MakeToolButton(kRenameProfile, "imgbtn_edit.png", 29);
    MakeToolButton(kImport, "imgbtn_import.png", 26);
    MakeToolButton(kExport, "imgbtn_export.png", 27);
    MakePanel(kPanel);
    m_profiles = MakeList(kProfiles);

    const int layerTexts[2] = {290, 291};
    const int layerTips[2] = {295, 296};
    for (int layer = 0; layer < 2; ++layer) {
        m_layerButtons[layer] =
            MakeButton(layer == 0 ? kStandardLayer : kFnLayer, layerTexts[layer]);
        TooltipText(m_layerButtons[layer], layerTips[layer]);
    }
    ShowLayerButtons(0);

    m_fnModeText = MakeText(kFnModeText, 893);
    const int fnTexts[2] = {293, 294};
    const int fnTips[2] = {297, 298};
    for (int i = 0; i < 2; ++i) {
        m_fnButtons[i] = Make<glint::KeyLayerButton>(i == 0 ? kFnKeysFirst : kMediaKeysFirst);
        CaptionText(m_fnButtons[i], fnTexts[i]);
        TooltipText(m_fnButtons[i], fnTips[i]);
        m_fnButtons[i]->SetFont(QStringLiteral("Open Sans Extrabold"), 14, glint::kFontBold);
        m_fnButtons[i]->SetAlignment(glint::kAlignCenter);
    }
    m_fnButtons[0]->SetCheck(1);

    m_hint = MakeText(kHint, 238);
    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeAssign);
    m_functions = Make<glint::KeyFuncControl>(kFunctions);
    FillFunctionList();
    BuildAppControls();
}

void KeyPage::FillFunctionList() {
    glint::KeyFuncItem checked;
    const bool hadCheck = m_functions->GetCurItemData(checked);
    const int shownGroup = m_functions->GetCurGroup();
    m_functions->DeleteAllItems();
    for (const KeyFunctionGroup& group : KeyFunctionGroups(LanguageSource(), m_context.keyNames)) {
        const int index = m_functions->AddGroup(Text(group.titleText));
        for (const KeyFunctionEntry& entry : group.entries) {
            m_functions->AddItem(index, {entry.value1, entry.value2, entry.value3,
                                         QString::fromStdString(entry.text)});
        }
    }
    m_functions->SetCurGroup(shownGroup);
    if (hadCheck) {
        m_functions->SetItemCheckByItemData(checked.value1, checked.value2, checked.value3);
    }
}

void KeyPage::Layout(const QSize& size) {
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kListWidth = 240;
    // The tools sit above the panel: they were made before it and would lie under it.
    int x = 14;
    for (int id = kAddProfile; id <= kExport; ++id) {
        Place(Window().GetControl(id), QRect(x, 14, 32, 32));
        x += 40;
    }
    Place(Window().GetControl(kPanel), glint::RectLTRB(10, 56, 10 + kListWidth, bottom));
    LayoutAppControls(bottom, kListWidth);

    const int left = kListWidth + 30;
    const int right = size.width() - 10;
    m_layerButtons[0]->SetRect(QRect(left, 14, 150, 34));
    m_layerButtons[1]->SetRect(QRect(left + 160, 14, 150, 34));
    constexpr int kFnButtonWidth = 215;
    m_fnButtons[1]->SetRect(QRect(right - kFnButtonWidth, 14, kFnButtonWidth, 34));
    m_fnButtons[0]->SetRect(QRect(right - 2 * kFnButtonWidth - 10, 14, kFnButtonWidth, 34));
    m_fnModeText->SetRect(glint::RectLTRB(left + 330, 14, right - 2 * kFnButtonWidth - 20, 48));
    m_fnModeText->SetAlignment(glint::kAlignRight);
    m_hint->SetRect(glint::RectLTRB(left, 58, right, 86));
    // The key-function list takes the lower part when this build has it.
    const int pictureBottom = m_functions ? 60 + (bottom - 60) * 55 / 100 : bottom;
    m_keyboard->SetRect(glint::RectLTRB(left, 92, right, pictureBottom));
    Place(m_functions, glint::RectLTRB(left, pictureBottom + 10, right, bottom));
}

bool KeyPage::AcceptsEvent(int id, int code) const {
    return id == kProfiles || id == kKeyboard || id == kFunctions || id == kAppChoice ||
           Page::AcceptsEvent(id, code);
}

int KeyPage::OnEvent(int id, int code, int) {
    switch (id) {
        case kProfiles:
            if (code == glint::kEventClick) {
                OnSelectProfile();
                return 1;
            }
            if (code == glint::kEventEditFinished) {
                OnProfileRenamed();
                return 1;
            }
            return 0;
        case kKeyboard:
            switch (code) {
                case glint::kEventClick:
                    OnSelectKey(false);
                    return 1;
                case glint::kEventRightButton:
                    OnSelectKey(true);
                    return 1;
                case glint::kEventKeyDoubleClick:
                case glint::kEventKeyCleared:
                    OnSelectKey(false);
                    return 1;
                default:
                    return 0;
            }
        case kFunctions:
            if (code == glint::kEventClick) {
                OnApplyFunction();
                return 1;
            }
            return 0;
        case kAppChoice:
            if (code == glint::kEventClick) {
                OnChooseProgram();
                return 1;
            }
            return 0;
        default:
            break;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kAddProfile:
            RunProfileOperation(&ProfileList::NewProfile);
            return 1;
        case kDeleteProfile:
            RunProfileOperation(&ProfileList::DeleteSelectedProfile);
            return 1;
        case kRenameProfile:
            m_profiles->ShowEdit();
            return 1;
        case kImport:
            OnImport();
            return 1;
        case kExport:
            OnExport();
            return 1;
        case kBindApp:
            OnBindProgram();
            return 1;
        case kUnbindApp:
            OnUnbindProgram();
            return 1;
        case kStandardLayer:
            OnSelectLayer(0);
            return 1;
        case kFnLayer:
            OnSelectLayer(1);
            return 1;
        case kFnKeysFirst:
            OnFnArrangement(0);
            return 1;
        case kMediaKeysFirst:
            OnFnArrangement(1);
            return 1;
        default:
            return 0;
    }
}

void KeyPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    // The keys' tips name what they were given in the new language; the function checked in
    // the chooser stays checked.
    if (Controller().Layout()) {
        glint::KeyFuncItem checked;
        const bool hadCheck = m_functions->GetCurItemData(checked);
        ShowLayerAssignments(Controller().CurrentProfile());
        if (hadCheck) {
            m_functions->SetItemCheckByItemData(checked.value1, checked.value2, checked.value3);
        }
    }
    FillFunctionList();
    LocalizeDefaultNames(m_profiles, DefaultNameList::kProfiles);
    m_profiles->SetCurData(Controller().CurrentProfile());
}

void KeyPage::ShowProfileOfKey(int profile) {
    std::lock_guard lock(m_mutex);
    m_profileList.SetCurrentProfile(profile);
    ShowLayerAssignments(profile);
    ShowCurrentProfileLocked({}, profile);
}

int KeyPage::CurrentLayer() const {
    return Selection().CurrentLayer();
}

KeySelection& KeyPage::Selection() const {
    return Controller().Selection();
}

void KeyPage::OnFeatureLoaded(int feature) {
    if (feature == kFeatureKeys) {
        OnPageLoaded();
    }
}

void KeyPage::OnPageLoaded() {
    std::lock_guard lock(m_mutex);
    // The worker chose the current profile and layer; the page shows them.
    m_profileList.ReloadEntries();
    ShowProfileEntries();
    ShowLayerButtons(Selection().CurrentLayer());
    m_keyboard->SetEnabled(m_profileList.PictureEnabled());
    ShowLayerAssignments(Controller().CurrentProfile());
    ShowBindings(Controller().CurrentProfile());
    StartFollowingPrograms();
    const int current = Controller().CurrentProfile();
    ShowCurrentProfileLocked(current == m_statusProfile ? m_statusProgram : std::string(), current);
}

void KeyPage::ShowProfileEntries() {
    m_profiles->DeleteAllItems();
    for (const ProfileEntry& entry : m_profileList.Entries()) {
        m_profiles->AddString(QString::fromStdString(entry.text), entry.id);
    }
    m_profiles->SetCurSel(m_profileList.SelectedIndex());
}

void KeyPage::ShowLayerAssignments(int profile) {
    m_functions->SetItemCheckByItemData(0, 0, 0);
    m_keyboard->ResetAllItemCheck(0);
    m_keyboard->ResetTipKey();
    m_keyboard->ResetAllKeyDisable();
    const int layer = Selection().CurrentLayer();
    std::vector<KeyAssignment> assignments;
    Controller().Database().ListKeyAssignments(profile, layer, assignments);
    for (const KeyAssignment& assignment : assignments) {
        m_keyboard->SetKeyCheck(assignment.key_code, 1);
        const KeyTip tip = AssignmentTip(assignment);
        if (tip.titleText != 0) {
            m_keyboard->SetTipKey(assignment.key_code, Text(tip.titleText),
                                  QString::fromStdString(tip.detail));
        }
    }
    if (layer == 1) {
        for (const auto& [code, locked] : Controller().Layout()->fnLockedKeys) {
            if (locked != 0) {
                m_keyboard->SetKeyDisable(code, true);
            }
        }
    }
}

void KeyPage::ShowLayerButtons(int layer) {
    m_layerButtons[0]->SetImage(QString::fromLatin1(layer == 0 ? kLayerShown : kLayerHidden), 4);
    m_layerButtons[1]->SetImage(QString::fromLatin1(layer == 1 ? kLayerShown : kLayerHidden), 4);
}

void KeyPage::AfterProfileChange() {
    ShowProfileEntries();
    m_keyboard->SetEnabled(m_profileList.PictureEnabled());
    ShowLayerAssignments(m_profileList.CurrentProfile());
    ShowBindings(m_profileList.CurrentProfile());
    ShowCurrentProfileLocked({}, m_profileList.CurrentProfile());
}

void KeyPage::RunProfileOperation(PageOutcome (ProfileList::*operation)()) {
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        outcome = (m_profileList.*operation)();
        if (!outcome.changed) {
            return;
        }
        AfterProfileChange();
    }
    ApplyOutcome(outcome);
}

void KeyPage::OnSelectProfile() {
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        outcome = m_profileList.SelectProfileEntry(m_profiles->GetCurSel());
        m_keyboard->SetEnabled(m_profileList.PictureEnabled());
        if (!outcome.changed) {
            return;
        }
        ShowLayerAssignments(m_profileList.CurrentProfile());
        ShowBindings(m_profileList.CurrentProfile());
        // A profile chosen by hand is the one in force, whatever program chose the last.
        ShowCurrentProfileLocked({}, m_profileList.CurrentProfile());
    }
    ApplyOutcome(outcome);
}

void KeyPage::OnProfileRenamed() {
    PageOutcome outcome;
    {
        std::lock_guard lock(m_mutex);
        const int index = m_profiles->GetCurSel();
        if (index < 0) {
            return;
        }
        outcome = m_profileList.FinishProfileRename(m_profiles->GetItemText(index).toStdString());
        if (outcome.messageText != 0) {
            // The stored name comes back into the list.
            m_profiles->ModifyItemString(
                index, QString::fromStdString(
                           m_profileList.Entries()[size_t(m_profileList.SelectedIndex())].text));
        }
        if (m_statusProfile > 0) {
            // The line names the profile by its new name.
            ShowCurrentProfileLocked(m_statusProgram, m_statusProfile);
        }
    }
    ApplyOutcome(outcome);
}

void KeyPage::OnImport() {
    const QString path =
        Services().ChooseOpenFile(Text(kChooseKeysToImport), QStringLiteral("Custom Key (*.xml)"));
    if (path.isEmpty()) {
        return;
    }
    const KeyImport result = ImportProfileKeys(Controller().Database(), path.toStdString());
    if (result.profileId > 0) {
        std::lock_guard lock(m_mutex);
        m_profileList.AppendEntry(result.profileId, result.name);
        m_profiles->AddString(QString::fromStdString(result.name), result.profileId);
    }
    if (result.messageText != 0) {
        PageOutcome outcome;
        outcome.messageText = result.messageText;
        outcome.messageCaption = 26;
        outcome.messageCount = result.leftOut;
        ApplyOutcome(outcome);
    }
}

void KeyPage::OnExport() {
    const int index = m_profiles->GetCurSel();
    if (index < 0) {
        Services().ShowMessageBox(Text(kTextNoProfileSelectedCaption), Text(kTextNoProfileSelected),
                                  kMessageOk);
        return;
    }
    const QString folder = Services().ChooseFolder(Text(kChooseKeysExportFolder));
    if (folder.isEmpty()) {
        return;
    }
    ExportProfileKeys(Controller().Database(), m_profiles->GetItemData(index),
                      m_profiles->GetItemText(index).toStdString(), folder.toStdString(), Tick());
}

bool KeyPage::SelectedKeyAssignable() {
    const int key = Selection().SelectedKey();
    if (KeyAssignable(*Controller().Layout(), Selection().CurrentLayer(), key)) {
        return true;
    }
    Services().ShowMessageBox(Text(kTextKeyTitle), Text(kTextKeyFnLocked), kMessageOk);
    Selection().SetSelectedKey(0);
    return false;
}

void KeyPage::OnSelectKey(bool rightButton) {
    Selection().SetSelectedKey(m_keyboard->GetCurKey());
    if (Selection().SelectedKey() == 0 || !SelectedKeyAssignable()) {
        return;
    }
    // The chooser shows what the key does now, so it never suggests another key's function.
    KeyAssignment assignment;
    Controller().Database().GetKeyAssignment(Controller().CurrentProfile(),
                                             Selection().CurrentLayer(), Selection().SelectedKey(),
                                             assignment);
    ShowFunctionOf(assignment);
    if (!rightButton) {
        return;
    }
    const int command = Services().TrackMenu({{kMenuOwnFunction, Text(201)},
                                              {kMenuDisable, Text(kTextDisabledKey)},
                                              {kMenuAssign, Text(203)}});
    switch (command) {
        case kMenuOwnFunction:
            OnApplyAssignment({});
            break;
        case kMenuDisable: {
            KeyAssignment record;
            record.macro_type = 1;
            record.macro_value = 1;
            record.macro_desc = LanguageText(kTextDisabledKey);
            OnApplyAssignment(record);
            break;
        }
        case kMenuAssign:
            OnAssignmentDialog();
            break;
        default:
            break;
    }
}

void KeyPage::ShowFunctionOf(const KeyAssignment& assignment) {
    if (assignment.macro_type == kKindKey || assignment.macro_type == kKindConsumer) {
        m_functions->SetItemCheckByItemData(assignment.macro_value, assignment.macro_value2,
                                            assignment.macro_value3);
    } else {
        m_functions->SetItemCheckByItemData(0, 0, 0);
    }
}

void KeyPage::OnApplyFunction() {
    if (!SelectedKeyAssignable()) {
        return;
    }
    glint::KeyFuncItem item;
    if (!m_functions->GetCurItemData(item)) {
        return;
    }
    OnApplyAssignment(
        FunctionRecord(item.value1, item.value2, item.value3, item.text.toStdString()));
}

void KeyPage::OnAssignmentDialog() {
    const int profile = Controller().CurrentProfile();
    if (Services().RunKeyAssignmentDialog(Selection().SelectedKey(), profile,
                                          Selection().CurrentLayer()) != 1) {
        return;
    }
    ShowLayerAssignments(profile);
    Controller().PostCommand(kCommandWriteKeyLayer);
}

void KeyPage::OnApplyAssignment(const KeyAssignment& record) {
    const int key = Selection().SelectedKey();
    int stored = 0;
    const PageOutcome outcome = ApplyAssignment(Controller().Database(), *Controller().Layout(),
                                                Controller().CurrentProfile(),
                                                Selection().CurrentLayer(), key, record, &stored);
    if (key != 0 && outcome.messageText == 0) {
        if (stored < 1) {
            m_keyboard->SetTipKey(key, {}, {});
            m_keyboard->SetKeyCheck(key, 0);
        } else {
            m_keyboard->SetKeyCheck(key, 1);
            const KeyTip tip = AssignmentTip(record);
            m_keyboard->SetTipKey(key, tip.titleText != 0 ? Text(tip.titleText) : QString(),
                                  QString::fromStdString(tip.detail));
        }
        ShowFunctionOf(record);  // nothing is checked for a key given its own function back
    }
    ApplyOutcome(outcome);
}

void KeyPage::OnSelectLayer(int layer) {
    Selection().SetCurrentLayer(layer);
    ShowLayerButtons(layer);
    ShowLayerAssignments(Controller().CurrentProfile());
    PageOutcome outcome;
    outcome.commands = {kCommandWriteKeyLayers};
    outcome.showWaitDialog = true;
    ApplyOutcome(outcome);
}

void KeyPage::OnFnArrangement(int fnSwitch) {
    ShowFnArrangement(fnSwitch);
    if (Controller().StoreSetting(kFnSwitchKey, fnSwitch)) {
        Controller().PostCommand(kCommandSendSettings);
    }
}

void KeyPage::ShowFnArrangement(int fnSwitch) {
    const int chosen = fnSwitch == 1 ? 1 : 0;
    for (int i = 0; i < 2; ++i) {
        m_fnButtons[i]->SetCheck(i == chosen ? 1 : 0);
        m_fnButtons[i]->SetTextColor(i == chosen ? kChosenColour : kOtherColour);
    }
}

void KeyPage::ApplyLayoutVisibility(const KeyboardLayout& layout) {
    const bool fnLayer = layout.secondFnLayer;
    for (glint::MControl* control : {static_cast<glint::MControl*>(m_layerButtons[0]),
                                     static_cast<glint::MControl*>(m_layerButtons[1]),
                                     static_cast<glint::MControl*>(m_fnButtons[0]),
                                     static_cast<glint::MControl*>(m_fnButtons[1]),
                                     static_cast<glint::MControl*>(m_fnModeText)}) {
        control->SetVisible(fnLayer);
    }
}

}  // namespace zephyl::window
