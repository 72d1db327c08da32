// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/UserLightPage.h"

#include "app/KeyboardController.h"
#include "app/WorkerCommand.h"
#include "catalogue/KeyboardLayout.h"
#include "keys/PageOutcome.h"
#include "lighting/LightingFeature.h"
#include "lighting/UserLight.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"
#include "ui/window/FileChoiceTexts.h"
#include "ui/window/WindowServices.h"

#include <chrono>

namespace zephyl::window {
namespace {

const ColourControlIds kColourIds = {UserLightPage::kWheel,
                                     UserLightPage::kFirstLabel,
                                     UserLightPage::kFirstSlider,
                                     UserLightPage::kFirstField,
                                     UserLightPage::kFirstSwatch,
                                     UserLightPage::kLastSwatch - UserLightPage::kFirstSwatch + 1,
                                     ":"};

constexpr std::uint32_t kUserSwatches[] = {0x0000FF, 0xFC00FF, 0xFF007E, 0xFF0000, 0xFD8900,
                                           0xFFFC00, 0x339933, 0x00FF00, 0x000000};
constexpr int kNumberRow[] = {30, 31, 32, 33, 34, 35, 36, 37, 38, 39};
constexpr int kWasdKeys[] = {26, 4, 22, 7};

std::uint64_t Tick() {
    return std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

}  // namespace

void UserLightPage::BuildControls() {
    MakePanel(kListPanel);
    MakeToolButton(kAdd, "imgbtn_add.png", 28);
    MakeToolButton(kDelete, "imgbtn_del.png", 30);
    MakeToolButton(kRename, "imgbtn_edit.png", 29);
    MakeToolButton(kImport, "imgbtn_import.png", 26);
    MakeToolButton(kExport, "imgbtn_export.png", 27);
    m_sets = MakeList(kSets);
    m_keyboard = Make<glint::KeyboardCtrl>(kKeyboard);
    m_keyboard->SetKeyboardCtrlMode(glint::kKeyboardModeColour);
    MakePanel(kSelectionPanel);
    MakePanel(kColourPanel);
    MakeText(kColourText, 81);
    m_colours = MakeColourControls(kColourIds);
    for (size_t i = 0; i < m_colours.swatches.size(); ++i) {
        m_colours.swatches[i]->SetColor(kUserSwatches[i]);
    }
    MakeText(kBrightnessText, 82);
    auto* brightness = MakeColourSlider(kBrightness, 15);
    brightness->SetMaxProgress(15);
    MakeCheck(kAllKeys, 70);
    MakeCheck(kNumberKeys, 71);
    MakeCheck(kWasd, 0)->SetTitle(QStringLiteral("WASD"));
}

void UserLightPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    constexpr int kListRight = 250;
    at(kListPanel, glint::RectLTRB(10, 10, kListRight, bottom));
    int x = 20;
    for (int id = kAdd; id <= kExport; ++id) {
        at(id, QRect(x, 20, 32, 32));
        x += 44;
    }
    m_sets->SetRect(glint::RectLTRB(20, 62, kListRight - 10, bottom - 10));

    const int left = kListRight + 10;
    const int right = size.width() - 10;
    const int pictureBottom = 10 + (bottom - 10) * 52 / 100;
    m_keyboard->SetRect(glint::RectLTRB(left, 10, right, pictureBottom));

    const int lowerTop = pictureBottom + 10;
    const int selectionRight = left + 360;
    at(kSelectionPanel, glint::RectLTRB(left, lowerTop, selectionRight, bottom));
    int y = lowerTop + 20;
    for (int id : {kAllKeys, kNumberKeys, kWasd}) {
        at(id, QRect(left + 20, y, 300, 30));
        y += 42;
    }
    at(kBrightnessText, QRect(left + 20, y + 6, 110, 30));
    at(kBrightness, glint::RectLTRB(left + 140, y + 11, selectionRight - 24, y + 31));

    at(kColourPanel, glint::RectLTRB(selectionRight + 10, lowerTop, right, bottom));
    at(kColourText, QRect(selectionRight + 30, lowerTop + 12, 200, 28));
    LayoutColourControls(
        m_colours, glint::RectLTRB(selectionRight + 30, lowerTop + 44, right - 24, bottom - 14));
}

bool UserLightPage::AcceptsEvent(int id, int code) const {
    return id == kSets || id == kWheel || (id >= kFirstField && id < kFirstField + 3) ||
           Page::AcceptsEvent(id, code);
}

int UserLightPage::OnEvent(int id, int code, int) {
    if (id == kSets) {
        if (code == glint::kEventClick) {
            return OnSetChosen();
        }
        return code == glint::kEventEditFinished ? OnSetRenamed() : 0;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventEditFinished ? OnColourChosen(id, code) : 0;
    }
    if (id == kWheel) {
        return OnColourChosen(id, code);
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kAdd:
            OnNewSet();
            return 1;
        case kDelete:
            OnDeleteSet();
            return 1;
        case kRename:
            if (m_sets->GetCurSel() >= 0) {
                m_sets->ShowEdit();
            }
            return 1;
        case kImport:
            OnImport();
            return 1;
        case kExport:
            OnExport();
            return 1;
        default:
            break;
    }
    if ((id >= kFirstSlider && id < kFirstSlider + 3) ||
        (id >= kFirstSwatch && id <= kLastSwatch)) {
        return OnColourChosen(id, code);
    }
    if (id >= kAllKeys && id <= kWasd) {
        return OnKeySelection(id);
    }
    return 0;
}

void UserLightPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    LocalizeDefaultNames(m_sets, DefaultNameList::kUserLighting);
}

void UserLightPage::OnFeatureLoaded(int feature) {
    if (feature == kFeatureUserLight) {
        LoadSets();
    }
}

void UserLightPage::EnableEditing(bool enabled) {
    static constexpr int kEditing[] = {kKeyboard, kWheel,      kBrightness,
                                       kAllKeys,  kNumberKeys, kWasd};
    for (int id : kEditing) {
        if (glint::MControl* control = Window().GetControl(id)) {
            control->SetEnabled(enabled);
        }
    }
    for (int i = 0; i < 3; ++i) {
        m_colours.sliders[size_t(i)]->SetEnabled(enabled);
        m_colours.fields[size_t(i)]->SetEnabled(enabled);
    }
    for (glint::CColorButton* swatch : m_colours.swatches) {
        swatch->SetEnabled(enabled);
    }
}

void UserLightPage::ShowNoSet() {
    EnableEditing(false);
    for (int id : {kAllKeys, kNumberKeys, kWasd}) {
        static_cast<glint::CCheckButton*>(Window().GetControl(id))->SetCheck(0);
    }
    m_keyboard->ResetAllItemCheck(0);
    m_keyboard->UpdateControl(1, 0);
}

void UserLightPage::LoadSets() {
    std::lock_guard lock(m_mutex);
    ProfileDatabase& database = Controller().Database();
    m_sets->DeleteAllItems();
    std::vector<UserLight> sets;
    if (database.CountUserLights() <= 0 || database.ListUserLights(sets) <= 0 || sets.empty()) {
        ShowNoSet();
        SelectedSet();
        return;
    }
    EnableEditing(true);
    for (const UserLight& set : sets) {
        m_sets->AddString(QString::fromStdString(UserLightDisplayName(set.name)), set.userlight_id);
    }
    m_sets->SetCurSel(0);
    LoadSet(SelectedSet());
}

void UserLightPage::LoadSet(int id) {
    m_keyboard->SetLightModeColor(0, 0);
    KeyColourList colours;
    for (const KeyColour& key : UserLightColours(Controller().Database(), id)) {
        colours.emplace_back(key.keyCode, std::uint32_t(key.colour));
    }
    m_keyboard->SetKeyColors(colours);
}

int UserLightPage::SelectedSet() {
    const int id = m_sets->GetCurSel() >= 0 ? m_sets->GetCurData() : 0;
    LightingStateOf(Controller())->SelectUserLight(id);
    return id;
}

void UserLightPage::WriteSet() {
    PageOutcome outcome;
    outcome.showWaitDialog = true;
    outcome.commands = {kCommandWriteUserLight};
    ApplyOutcome(outcome);
}

int UserLightPage::OnSetChosen() {
    std::lock_guard lock(m_mutex);
    const int id = SelectedSet();
    if (id <= 0) {
        return 1;
    }
    LoadSet(id);
    WriteSet();
    return 1;
}

int UserLightPage::OnSetRenamed() {
    std::lock_guard lock(m_mutex);
    const int index = m_sets->GetCurSel();
    if (index < 0) {
        return 1;
    }
    const QString text = m_sets->GetItemText(index);
    if (!text.isEmpty()) {
        Controller().Database().RenameUserLight(m_sets->GetItemData(index), text.toStdString());
    }
    return 1;
}

void UserLightPage::OnNewSet() {
    std::lock_guard lock(m_mutex);
    const std::string name = NewUserLightName(m_sets->GetItemCount());
    const int id = Controller().Database().AddUserLight(kSettingsProfile, name);
    if (id <= 0) {
        return;
    }
    const int index = m_sets->AddString(QString::fromStdString(name), id);
    m_sets->SetCurSel(index >= 0 ? index : m_sets->GetItemCount() - 1);
    LoadSet(SelectedSet());
    WriteSet();
    EnableEditing(true);
}

void UserLightPage::OnDeleteSet() {
    std::lock_guard lock(m_mutex);
    const int index = m_sets->GetCurSel();
    if (m_sets->GetItemCount() == 0 || index < 0) {
        return;
    }
    if (!DeleteUserLightSet(Controller().Database(), m_sets->GetItemData(index))) {
        return;
    }
    m_sets->DeleteItem(index);
    m_sets->SetCurSel(index - 1);
    SelectedSet();
    if (m_sets->GetItemCount() == 0) {
        ShowNoSet();
    }
}

void UserLightPage::OnImport() {
    const QString path =
        Services().ChooseOpenFile(Text(kChooseLightingToImport), QStringLiteral("light (*.xml)"));
    if (path.isEmpty()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    const std::shared_ptr<const KeyboardLayout> layout = Controller().Layout();
    const UserLightImport imported = ImportUserLight(
        Controller().Database(), path.toStdString(),
        layout ? static_cast<int>(layout->keys.size()) : kMostSetFileKeysWithoutLayout);
    if (imported.messageText != 0) {
        Services().ShowMessageBox(
            Text(26),
            Text(imported.messageText)
                .replace(QStringLiteral("%d"), QString::number(imported.messageCount)),
            kMessageOk);
        return;
    }
    // A set the store could not take has no id to show in the list.
    if (!imported.read || imported.id <= 0) {
        return;
    }
    m_sets->AddString(QString::fromStdString(imported.name), imported.id);
    WriteSet();
    EnableEditing(true);
}

void UserLightPage::OnExport() {
    const int index = m_sets->GetCurSel();
    if (index < 0) {
        return;
    }
    const QString folder = Services().ChooseFolder(Text(kChooseLightingExportFolder));
    if (folder.isEmpty()) {
        return;
    }
    ExportUserLight(Controller().Database(), m_sets->GetItemData(index),
                    m_sets->GetItemText(index).toStdString(), folder.toStdString(), Tick());
}

int UserLightPage::OnColourChosen(int id, int code) {
    const std::optional<std::uint32_t> colour = TakeColourFrom(m_colours, kColourIds, id);
    // The wheel shows its colour while dragged; only the release applies it.
    if (colour && (id != kWheel || code == glint::kEventClick)) {
        ApplyColour(*colour);
    }
    return 1;
}

void UserLightPage::ApplyColour(std::uint32_t colour) {
    std::lock_guard lock(m_mutex);
    const int id = SelectedSet();
    if (id <= 0) {
        return;
    }
    m_keyboard->SetAllSelectColor(colour);
    KeyColourList keys;
    for (const glint::KeyInfo& key : m_keyboard->GetKeyItems()) {
        keys.emplace_back(key.code, key.colour);
    }
    StoreUserLightKeys(Controller().Database(), id, keys);
    // With commands waiting, the stored colours go with the next write instead.
    if (Controller().QueueLength() == 0) {
        WriteSet();
    }
}

int UserLightPage::OnKeySelection(int id) {
    const int check = static_cast<glint::CCheckButton*>(Window().GetControl(id))->GetCheck();
    if (id == kAllKeys) {
        m_keyboard->ResetAllItemCheck(check);
        static_cast<glint::CCheckButton*>(Window().GetControl(kNumberKeys))->SetCheck(check);
        static_cast<glint::CCheckButton*>(Window().GetControl(kWasd))->SetCheck(check);
    } else {
        for (int code : id == kNumberKeys ? std::span<const int>(kNumberRow)
                                          : std::span<const int>(kWasdKeys)) {
            m_keyboard->SetKeyCheck(code, check);
        }
    }
    m_keyboard->UpdateControl(1, 0);
    return 1;
}

}  // namespace zephyl::window
