// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/CustomLightPage.h"

#include "app/KeyboardController.h"
#include "lighting/CustomLightEngine.h"
#include "lighting/CustomLightExchange.h"
#include "lighting/CustomLightFeature.h"
#include "lighting/CustomLightSets.h"
#include "text/DefaultNames.h"
#include "text/LanguageText.h"
#include "ui/window/FileChoiceTexts.h"
#include "ui/window/WindowServices.h"

#include <QTimer>

#include <algorithm>

namespace zephyl::window {
namespace {

constexpr int kFirstEffectText = kCustomLightFirstEffectText;
constexpr int kEffectCount = kCustomLightEffectCount;

}  // namespace

void CustomLightPage::BuildControls() {
    MakeToolButton(kAdd, "imgbtn_add.png", 28);
    MakeToolButton(kDelete, "imgbtn_del.png", 30);
    MakeToolButton(kRename, "imgbtn_edit.png", 29);
    MakeToolButton(kImport, "imgbtn_import.png", 26);
    MakeToolButton(kExport, "imgbtn_export.png", 27);
    const int panels[4] = {kListPanel, kEffectPanel, kSettingsPanel, kColourPanel};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = MakePanel(panels[i]);
    }
    m_sets = MakeList(kSets);
    MakeText(kEffectsText, 53);
    m_effects = MakeList(kEffects);
    for (int i = 0; i < kEffectCount; ++i) {
        m_effects->AddString({}, i);
    }
    OnLanguage([this] {
        for (int i = 0; i < kEffectCount; ++i) {
            m_effects->ModifyItemString(i, Text(kFirstEffectText + i));
        }
    });
    m_effects->SetCurSel(0);
    m_selections[0] = MakeCheck(kAllKeys, 70);
    m_selections[1] = MakeCheck(kNumberKeys, 71);
    m_selections[2] = MakeCheck(kWasd, 0);
    m_selections[2]->SetTitle(QStringLiteral("WASD"));
    m_lightMode = Make<glint::CustomLightMode>(kLightMode);
    m_lightMode->SetAnimateRun(1);
    MakeText(kSpeedText, 83);
    m_speed = MakeColourSlider(kSpeed, kCustomLightDefaultSpeed);
    m_speed->SetMaxProgress(kCustomLightMaxSpeed);
    m_colour = Make<glint::CColorButton>(kColour);
    m_colour->SetGroupName(QStringLiteral("IDC_CUSTOMLIGHT_STC_LIGHTCOLOR"));
    m_colour->SetColor(0xFF);
    m_multicolour = MakeCheck(kMulticolour, 80);
    m_colourText = MakeText(kColourText, 81);
    m_colours = MakeColourControls({kWheel, kFirstLabel, kFirstSlider, kFirstField, kFirstSwatch,
                                    kLastSwatch - kFirstSwatch + 1, ""});
    m_model = std::make_unique<CustomLightSets>(Controller().Database(),
                                                [](int entry) { return LanguageText(entry); });
    // The animation ticks only while the page is shown (SetShown).
    m_timer = std::make_unique<QTimer>();
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(kAnimationStepMs);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { AnimationTick(); });
}

void CustomLightPage::Layout(const QSize& size) {
    // Ids 212 and 213 exist on the user lighting page too: only the page's own pointers are used.
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    // The tools sit above the panel: they were made before it and would lie under it.
    int x = 14;
    for (int id = kAdd; id <= kExport; ++id) {
        at(id, QRect(x, 14, 32, 32));
        x += 44;
    }
    constexpr int kListRight = 250;
    m_panels[0]->SetRect(glint::RectLTRB(10, 56, kListRight, bottom));
    m_sets->SetRect(glint::RectLTRB(20, 66, kListRight - 10, bottom - 10));

    constexpr int kEffectsLeft = kListRight + 10;
    constexpr int kEffectsRight = kEffectsLeft + 240;
    m_panels[1]->SetRect(glint::RectLTRB(kEffectsLeft, 10, kEffectsRight, bottom));
    at(kEffectsText, QRect(kEffectsLeft + 16, 20, 200, 28));
    m_effects->SetRect(glint::RectLTRB(kEffectsLeft + 10, 56, kEffectsRight - 10, bottom - 10));

    const int left = kEffectsRight + 10;
    const int right = size.width() - 10;
    int top = 10;
    if (m_lightMode) {
        const int pictureBottom = 10 + (bottom - 10) * 52 / 100;
        m_lightMode->SetRect(glint::RectLTRB(left, 10, right, pictureBottom));
        top = pictureBottom + 10;
    }
    const int settingsRight = left + 300;
    m_panels[2]->SetRect(glint::RectLTRB(left, top, settingsRight, bottom));
    int y = top + 20;
    for (int id : {kAllKeys, kNumberKeys, kWasd}) {
        at(id, QRect(left + 20, y, 260, 30));
        y += 42;
    }
    y += 10;
    at(kSpeedText, QRect(left + 20, y, 90, 30));
    at(kSpeed, glint::RectLTRB(left + 110, y + 5, settingsRight - 20, y + 25));
    y += 48;
    m_colourText->SetRect(QRect(left + 20, y, 90, 30));
    at(kColour, QRect(left + 110, y + 2, 26, 26));
    at(kMulticolour, QRect(left + 150, y, 140, 30));

    m_panels[3]->SetRect(glint::RectLTRB(settingsRight + 10, top, right, bottom));
    LayoutColourControls(m_colours,
                         glint::RectLTRB(settingsRight + 30, top + 20, right - 24, bottom - 20));
}

bool CustomLightPage::AcceptsEvent(int id, int code) const {
    if (id == kWheel) {
        return code == glint::kEventWheelReleased;  // a drag streams colours; the release counts
    }
    return id == kSets || id == kEffects || (id >= kFirstField && id < kFirstField + 3) ||
           Page::AcceptsEvent(id, code);
}

CustomLightPage::CustomLightPage(const PageContext& context) : Page(context, kContainer) {
    m_engine = context.controller ? CustomLightEngineOf(*context.controller) : nullptr;
    if (!m_engine) {
        m_engine = std::make_shared<CustomLightEngine>();
        m_ownEngine = true;
    }
}

CustomLightPage::~CustomLightPage() = default;

int CustomLightPage::OnEvent(int id, int code, int) {
    switch (id) {
        case kSets:
            if (code == glint::kEventClick) {
                return OnSetChosen();
            }
            if (code == glint::kEventRightButton) {
                return OnSetListMenu();
            }
            return code == glint::kEventEditFinished ? OnSetRenamed() : 0;
        case kEffects:
            return code == glint::kEventClick ? OnEffectChosen() : 0;
        case kWheel:
            return OnColourChosen(id);  // only its release comes through
        default:
            break;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventTextChanged ? OnColourChosen(id) : 0;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    if (id >= kAdd && id <= kExport) {
        return OnSetListTool(id);
    }
    if (id >= kAllKeys && id <= kWasd) {
        return OnKeySelection(id);
    }
    if (id == kSpeed) {
        return OnSpeed();
    }
    if (id == kMulticolour) {
        return OnMulticolour();
    }
    if ((id >= kFirstSlider && id < kFirstSlider + 3) ||
        (id >= kFirstSwatch && id <= kLastSwatch)) {
        return OnColourChosen(id);
    }
    return 0;
}

void CustomLightPage::Refresh() {
    OnEffectChosen();
}

void CustomLightPage::SetKeyMap(const std::array<std::uint8_t, kMatrixSize>& workMap, int rows,
                                int columns) {
    if (m_lightMode) {
        m_lightMode->SetKeyMap(workMap, rows, columns);
    }
}

void CustomLightPage::ApplyLanguageTexts() {
    Page::ApplyLanguageTexts();
    LocalizeDefaultNames(m_sets, DefaultNameList::kCustomLighting);
}

void CustomLightPage::OnFeatureLoaded(int feature) {
    if (feature == kFeatureCustomLight) {
        std::lock_guard lock(m_mutex);
        LoadPageLocked();
    }
}

// ---- Animation ----

void CustomLightPage::SetShown(bool shown) {
    if (!m_timer) {
        return;
    }
    if (shown && !m_timer->isActive()) {
        m_timer->start();
    } else if (!shown && m_timer->isActive()) {
        m_timer->stop();
    }
}

bool CustomLightPage::AnimationRunning() const {
    return m_timer && m_timer->isActive();
}

void CustomLightPage::AnimationTick() {
    // A fixed step per tick: a late tick slows the picture a little instead of making it jump.
    m_engine->Advance(kAnimationStepMs);
    ShowSnapshot();
}

void CustomLightPage::ShowSnapshot() {
    if (!m_lightMode) {
        return;
    }
    const std::shared_ptr<const CustomLightSnapshot> snapshot = m_engine->Snapshot();
    if (snapshot->sequence == m_shownSequence) {
        return;
    }
    m_shownSequence = snapshot->sequence;
    std::vector<glint::LightKeyRecord> records(snapshot->codes.size());
    for (size_t i = 0; i < records.size(); ++i) {
        const StreamKey& light = snapshot->lights[i];
        records[i] = {snapshot->codes[i], light.colour, light.level, light.lit};
    }
    m_lightMode->SetKeyRecords(records);
}

// ---- Page load and sets ----

void CustomLightPage::LoadPageLocked() {
    if (m_ownEngine) {
        if (const auto layout = Controller().Layout()) {
            m_engine->SetKeys(layout->keys);
        }
    }
    m_sets->DeleteAllItems();
    for (const CustomLightSetEntry& entry : m_model->Entries()) {
        m_sets->AddString(QString::fromStdString(entry.shownName), entry.id);
    }
    m_sets->SetCurSel(0);
    m_effects->SetCurSel(0);
    LoadSetLocked(m_sets->GetItemData(0));
}

void CustomLightPage::LoadSetLocked(int id) {
    if (m_lightMode) {
        m_lightMode->ResetAllItemCheck(0);
    }
    for (glint::CCheckButton* box : m_selections) {
        box->SetCheck(0);
    }
    m_model->LoadSet(*m_engine, id);
    m_speed->SetProgress(m_engine->Speed());
    m_shownSequence = 0;
    ShowSnapshot();
}

int CustomLightPage::SelectedSetLocked() const {
    const int id = m_sets->GetCurData();
    return id > 0 ? id : 0;
}

int CustomLightPage::CurrentEffectLocked() const {
    const int index = m_effects->GetCurSel();
    return kCustomLightEffects[index >= 0 && index < kCustomLightEffectCount ? index : 0];
}

std::vector<int> CustomLightPage::CheckedKeys() const {
    return m_lightMode ? m_lightMode->GetCheckedKeys() : std::vector<int>{};
}

int CustomLightPage::OnSetListTool(int id) {
    std::lock_guard lock(m_mutex);
    switch (id) {
        case kAdd:
            NewSetLocked();
            break;
        case kDelete:
            DeleteSetLocked();
            break;
        case kRename:
            m_sets->ShowEdit();
            break;
        case kImport:
            ImportLocked();
            break;
        case kExport:
            ExportLocked();
            break;
        default:
            return 0;
    }
    return 1;
}

int CustomLightPage::OnSetListMenu() {
    // The list selected the entry under the cursor before it told us: the menu acts on it.
    // The menu runs modally, so the page's lock is taken only for the chosen operation.
    const int command = Services().TrackMenu({{kMenuNew, Text(28)},
                                              {kMenuDelete, Text(30)},
                                              {kMenuImport, Text(26)},
                                              {kMenuExport, Text(27)}});
    static constexpr std::pair<int, int> kButtonOf[] = {
        {kMenuNew, kAdd}, {kMenuDelete, kDelete}, {kMenuImport, kImport}, {kMenuExport, kExport}};
    for (const auto& [menu, button] : kButtonOf) {
        if (command == menu) {
            return OnSetListTool(button);
        }
    }
    return 1;
}

void CustomLightPage::NewSetLocked() {
    const CustomLightSetEntry entry = m_model->AddSet(m_sets->GetItemCount() + 1);
    if (entry.id <= 0) {
        return;
    }
    const int index = m_sets->AddString(QString::fromStdString(entry.shownName), entry.id);
    m_sets->SetCurSel(index);
    // The picture shows the set that effects are written to: the new, empty one.
    LoadSetLocked(entry.id);
}

void CustomLightPage::DeleteSetLocked() {
    const int index = m_sets->GetCurSel();
    if (index < 0) {
        return;
    }
    m_model->DeleteSet(m_sets->GetItemData(index));
    m_sets->DeleteItem(index);
    if (m_sets->GetItemCount() == 0) {
        m_effects->SetCurSel(0);
        LoadSetLocked(0);
        return;
    }
    const int previous = index > 0 ? index - 1 : 0;
    m_sets->SetCurSel(previous);
    LoadSetLocked(m_sets->GetItemData(previous));
}

void CustomLightPage::ImportLocked() {
    const QString path =
        Services().ChooseOpenFile(Text(kChooseLightingToImport), QStringLiteral("light (*.xml)"));
    if (path.isEmpty()) {
        return;
    }
    const std::shared_ptr<const KeyboardLayout> layout = Controller().Layout();
    const CustomLightImport result = ImportCustomLight(
        Controller().Database(), path.toStdString(),
        layout ? static_cast<int>(layout->keys.size()) : kMostSetFileKeysWithoutLayout);
    if (result.messageText != 0) {
        Services().ShowMessageBox(
            Text(kTextCustomLightName),
            Text(result.messageText)
                .replace(QStringLiteral("%d"), QString::number(result.messageCount)),
            kMessageOk);
        return;
    }
    if (result.setId > 0) {
        // Added, not selected: the picture keeps the set it shows.
        m_sets->AddString(QString::fromStdString(m_model->ShownName(result.name)), result.setId);
    }
}

void CustomLightPage::ExportLocked() {
    const int index = m_sets->GetCurSel();
    if (index < 0) {
        Services().ShowMessageBox(Text(kTextExportLighting), Text(kTextSelectSetFirst), kMessageOk);
        return;
    }
    const std::string shown = m_sets->GetItemText(index).toStdString();
    const QString path = Services().ChooseSaveFile(
        Text(kChooseLightingSaveName), QString::fromStdString(CustomLightFileName(shown)),
        QStringLiteral("Profile (*.xml)"));
    if (path.isEmpty()) {
        return;
    }
    if (ExportCustomLight(Controller().Database(), m_sets->GetItemData(index), shown,
                          path.toStdString())
            .empty()) {
        Services().ShowMessageBox(Text(kTextExportLighting), Text(kTextFileUnreadable), kMessageOk);
    }
}

int CustomLightPage::OnSetChosen() {
    std::lock_guard lock(m_mutex);
    const int id = SelectedSetLocked();
    if (m_sets->GetCurSel() < 0) {
        return 1;
    }
    LoadSetLocked(id);
    m_effects->SetCurSel(0);
    return 1;
}

int CustomLightPage::OnSetRenamed() {
    std::lock_guard lock(m_mutex);
    const int index = m_sets->GetCurSel();
    if (index >= 0) {
        m_model->RenameSet(m_sets->GetItemData(index), m_sets->GetItemText(index).toStdString());
    }
    return 1;
}

// ---- Effects and colours ----

void CustomLightPage::ShowEffectControlsLocked(int lightMode) {
    const int hidden = EffectHiddenControls(lightMode);
    const bool wholeGroup = (hidden & kHideWholeGroup) != 0;
    for (int id = kSpeedText; id <= kLastSwatch; ++id) {
        if (id == kLightMode) {
            continue;
        }
        // Ids 212 and 213 exist on the user lighting page too: the page's own are used.
        glint::MControl* control = id == kColourText    ? m_colourText
                                   : id == kColourPanel ? m_panels[3]
                                                        : Window().GetControl(id);
        if (control) {
            control->SetVisible(!wholeGroup);
        }
    }
    if (wholeGroup) {
        return;
    }
    m_multicolour->SetCheck(1);
    if (hidden & kHideSpeed) {
        Window().GetControl(kSpeedText)->SetVisible(false);
        m_speed->SetVisible(false);
    }
    if (hidden & kHideColourButton) {
        // The caption names the colour button: without the button it names nothing.
        m_colour->SetVisible(false);
        m_colourText->SetVisible(false);
    }
    if (hidden & kHideMulticolour) {
        m_multicolour->SetVisible(false);
    }
    if (hidden & kClearMulticolour) {
        m_multicolour->SetCheck(0);
    }
}

void CustomLightPage::ApplyEffectLocked(int lightMode, std::uint32_t colour, int multicolour) {
    const std::vector<int> checked = CheckedKeys();
    m_model->ApplyEffect(*m_engine, SelectedSetLocked(), checked, lightMode, colour, multicolour);
    ShowSnapshot();
}

int CustomLightPage::OnEffectChosen() {
    std::lock_guard lock(m_mutex);
    const int lightMode = CurrentEffectLocked();
    ShowEffectControlsLocked(lightMode);
    ApplyEffectLocked(lightMode, m_colour->GetColor(), m_multicolour->GetCheck());
    return 1;
}

int CustomLightPage::OnKeySelection(int id) {
    std::lock_guard lock(m_mutex);
    if (!m_lightMode) {
        return 1;
    }
    const int state = m_selections[id - kAllKeys]->GetCheck();
    if (id == kAllKeys) {
        m_lightMode->ResetAllItemCheck(state);
        m_selections[1]->SetCheck(state);
        m_selections[2]->SetCheck(state);
    } else {
        static constexpr int kDigitRow[] = {30, 31, 32, 33, 34, 35, 36, 37, 38, 39};
        static constexpr int kWasdKeys[] = {26, 4, 22, 7};
        const std::span<const int> codes =
            id == kNumberKeys ? std::span<const int>(kDigitRow) : std::span<const int>(kWasdKeys);
        for (int code : codes) {
            m_lightMode->SetKeyCheck(code, state);
        }
    }
    m_lightMode->UpdateControl(1, 0);
    return 1;
}

int CustomLightPage::OnSpeed() {
    std::lock_guard lock(m_mutex);
    const int speed = m_speed->GetProgress();
    m_engine->SetSpeed(speed);
    m_model->StoreSpeed(SelectedSetLocked(), speed);
    return 1;
}

int CustomLightPage::OnMulticolour() {
    std::lock_guard lock(m_mutex);
    if (m_multicolour->GetCheck() == 0) {
        // Back to one colour: red, stored as a colour choice.
        constexpr std::uint32_t kRed = 0x0000FF;
        ShowColourLocked(kRed, 0);
        ApplyEffectLocked(CurrentEffectLocked(), kRed, 0);
        return 1;
    }
    const std::vector<int> checked = CheckedKeys();
    m_engine->SetCheckKeyColor(checked, m_colour->GetColor(), 1);
    m_engine->SetCheckColorType(checked, 1);
    ShowSnapshot();
    return 1;
}

void CustomLightPage::ShowColourLocked(std::uint32_t colour, int source) {
    for (int i = 0; i < 3; ++i) {
        const int channel = static_cast<int>((colour >> (8 * i)) & 0xFF);
        if (source != kFirstSlider + i) {
            m_colours.sliders[i]->SetProgress(channel);
        }
        if (source != kFirstField + i) {
            m_colours.fields[i]->SetEditText(QString::number(channel));
        }
    }
    if (source != kWheel && m_colours.wheel) {
        m_colours.wheel->SetColor(colour);
    }
    m_colour->SetColor(colour);
}

int CustomLightPage::OnColourChosen(int id) {
    std::lock_guard lock(m_mutex);
    std::uint32_t colour = 0;
    if (id == kWheel) {
        colour = m_colours.wheel->GetColor() & 0xFFFFFF;
    } else if (id >= kFirstSwatch && id <= kLastSwatch) {
        colour = m_colours.swatches[static_cast<size_t>(id - kFirstSwatch)]->GetColor() & 0xFFFFFF;
    } else {
        for (int i = 0; i < 3; ++i) {
            int channel = m_colours.sliders[i]->GetProgress();
            if (id == kFirstField + i) {
                glint::MEdit* field = m_colours.fields[i];
                const QString text = field->GetEditText();
                channel = std::clamp(text.toInt(), 0, 255);
                if (QString::number(channel) != text && !text.isEmpty()) {
                    field->SetEditText(QString::number(channel));
                }
            }
            colour |= static_cast<std::uint32_t>(channel) << (8 * i);
        }
    }
    ShowColourLocked(colour, id);
    // A chosen colour is one colour: a multicolour box still checked gives way to it.
    if (m_multicolour->GetCheck() != 0) {
        m_multicolour->SetCheck(0);
    }
    ApplyEffectLocked(CurrentEffectLocked(), colour, 0);
    return 1;
}

}  // namespace zephyl::window
