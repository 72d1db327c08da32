// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ScreenPage.h"

#include "app/KeyboardController.h"
#include "glint/ImageView.h"
#include "glint/ImageViewList.h"
#include "glint/LCDViewCtrl.h"
#include "glint/LCDViewList.h"
#include "screen/ScreenFeature.h"
#include "screen/ScreenLibrary.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "ui/dialogs/LCDDelayEditDlg.h"
#include "ui/dialogs/WaitDialogs.h"
#include "ui/window/FileChoiceTexts.h"
#include "ui/window/WindowServices.h"

#include <QTemporaryDir>

#include <algorithm>

namespace zephyl::window {
namespace {

constexpr std::uint32_t kOrange = 0xFFEE6E01;
constexpr std::uint32_t kGrey = 0xFF808080;

struct ToolButton {
    int id;
    const char* image;
    int tooltip;
};

/// The drawing tools in their creation order.
constexpr ToolButton kTools[] = {
    {ScreenPage::kAddText, "imgbtn_lcd_addtext.png", 813},
    {ScreenPage::kAddPicture, "imgbtn_lcd_add.png", 814},
    {ScreenPage::kCopyFrame, "imgbtn_lcd_copy.png", 815},
    {ScreenPage::kPen, "imgbtn_lcd_edit.png", 816},
    {ScreenPage::kUndo, "imgbtn_lcd_revoke.png", 885},
    {ScreenPage::kEraser, "imgbtn_lcd_erase.png", 817},
    {ScreenPage::kDeleteFrame, "imgbtn_lcd_del.png", 818},
};

constexpr int kActions[] = {ScreenPage::kDefaultPicture, ScreenPage::kSyncClock, ScreenPage::kSave,
                            ScreenPage::kExportGif, ScreenPage::kSend};

constexpr int kPaletteCount = ScreenPage::kLastSlot - ScreenPage::kFirstSlot + 1;
constexpr int kTextMilliseconds = 1080;

QString FromStd(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

ScreenPage::ScreenPage(const PageContext& context)
    : Page(context, kContainer), m_editFolder(std::make_unique<QTemporaryDir>()) {}

ScreenPage::~ScreenPage() {
    if (m_feature) {
        m_feature->SetProgressSink({});
        m_feature->SetDoneSink({});
    }
}

void ScreenPage::BuildControls() {
    for (int id = kFirstPanel; id <= kLastPanel; ++id) {
        MakePanel(id);
    }
    MakeText(kTitle, 801)->SetTextColor(kTextColour);
    auto* help = Make<glint::CHelpButton>(kHelp);
    help->SetImage(QStringLiteral("img_help.png"), 1);
    help->SetAirbladderMode(1);
    CaptionText(help, 802);
    m_screens = Make<glint::LCDViewCtrl>(kScreens);
    MakeText(kLibraryText, 865);
    m_library = Make<glint::LCDViewList>(kLibrary);
    m_library->SetImage(QStringLiteral("lcdlist_item_normal.png"));
    m_library->AddMTimer();
    for (int id : {kSeparator1, kSeparator2, kSeparator3}) {
        MakeArea<glint::CArea>(id)->SetTransparent(0, 0, 0xFFFFFF);
    }
    const int setTexts[3] = {803, 804, 805};
    for (int i = 0; i < 3; ++i) {
        auto* button = Make<glint::CTextButton>(kNewSet + i);
        CaptionText(button, setTexts[i]);
        button->SetAlignment(glint::kAlignCenter);
        button->SetTextButtonColor(0xFFFFFFFF, kOrange, kOrange, kGrey);
    }
    MakeText(kEditorText, 806);
    auto* editorHelp = Make<glint::CHelpButton>(kEditorHelp);
    editorHelp->SetImage(QStringLiteral("img_help.png"), 4);
    OnLanguage([editorHelp] {
        editorHelp->SetTitle(Text(850) + QLatin1Char('\n') + Text(851) + QLatin1Char('\n') +
                             Text(852));
    });
    m_editor = Make<glint::ImageView>(kEditor);
    m_editor->AddMTimer();
    MakeCheck(kGrid, 862);
    // The mode's glyph sits at the left of each face, so the caption keeps to the right.
    constexpr int kGlyphRoom = 22;
    auto* preview = Make<glint::CTextButton>(kPreview);
    preview->SetCaptionIndent(kGlyphRoom);
    CaptionText(preview, 808);
    auto* edit = Make<glint::CTextButton>(kEdit);
    edit->SetCaptionIndent(kGlyphRoom);
    CaptionText(edit, 809);
    ShowEditorMode();
    m_frames = Make<glint::ImageViewList>(kFrames);
    m_frames->SetImage(QStringLiteral("imageview_item_normal.png"));
    glint::ImageViewList* frames = m_frames;
    OnLanguage([frames] { frames->SetDelayUnit(Text(kTextMilliseconds)); });
    MakeText(kTextTitle, 810);
    auto* background = MakeArea<glint::MPicture>(kEditorBackground);
    background->SetImage(QStringLiteral("img_lcdedit_bkg.png"));
    background->SetShowMode(3, 8);
    auto* textField = Make<glint::MEdit>(kTextField);
    textField->SetImage(QStringLiteral("img_edit.png"), 4);
    OnLanguage([textField] { textField->SetTipInfo(Text(811)); });
    MakeText(kFontSizeText, 860)->SetAlignment(glint::kAlignRight);
    auto* fontSize = Make<glint::MEdit>(kFontSize);
    fontSize->SetImage(QStringLiteral("img_edit2.png"), 4);
    fontSize->SetNumberOnly(true);
    fontSize->SetLimitText(3);
    fontSize->SetAlignment(glint::kAlignCenter);
    fontSize->SetEditText(QStringLiteral("16"));
    for (const ToolButton& tool : kTools) {
        MakeToolButton(tool.id, tool.image, tool.tooltip);
    }
    MakeText(kColourText, 812);
    auto* shade = Make<glint::LCDPalette3>(kShadeBar);
    shade->SetImage(QStringLiteral("icon/icon_palette_bar2.png"));
    shade->SetSelectColor(0xFF);
    auto* hue = Make<glint::LCDPalette2>(kHueBar);
    hue->SetImage(QStringLiteral("icon/icon_palette_bar1.png"));
    static constexpr const char* kLetters[] = {"R", "G", "B"};
    for (int i = 0; i < 3; ++i) {
        MakeArea<glint::MText>(kFirstLabel + i, QString::fromLatin1(kLetters[i]));
    }
    for (int i = 0; i < 3; ++i) {
        MakeNumberField(kFirstField + i)->SetEditText(QStringLiteral("255"));
    }
    for (int id = kFirstSlot; id <= kLastSlot; ++id) {
        auto* slot = Make<glint::CColorButton>(id);
        slot->SetColor(0xFFFFFF);
        slot->SetGroupName(QStringLiteral("IDC_LCD_DEFAULTCOLOR"));
    }
    const int actionTexts[] = {822, 827, 819, 820, 821};
    for (int i = 0; i < 5; ++i) {
        MakeButton(kActions[i], actionTexts[i]);
    }
    m_waits = std::make_unique<WaitDialogs>(&Window());
    m_delayEditor = [this](int currentDelayMs) -> std::optional<DelayChoice> {
        LCDDelayEditDlg dialog(Text(837), QString::number(currentDelayMs));
        dialog.CreateDlg(&Window());
        if (dialog.ShowModal() != 1) {
            return std::nullopt;
        }
        return DelayChoice{dialog.AllFrames() ? dialog.AllFramesDelay() : dialog.ThisFrameDelay(),
                           dialog.AllFrames()};
    };
    m_feature = ScreenFeatureOf(Controller());
    if (m_feature) {
        // The worker reports here; the gate keeps it off a window that is going.
        std::shared_ptr<PageGate> gate = m_context.gate;
        m_feature->SetProgressSink(
            [this, gate](int percent) { gate->Run([&] { m_waits->SetUploadProgress(percent); }); });
        m_feature->SetDoneSink([this, gate](int command) {
            gate->Run([&] {
                if (command == kCommandUploadScreen) {
                    m_waits->CloseLEDWaitDlg2();
                    OnWindowThread([this] { LoadSlots(); });
                } else if (command == kCommandScreenSlot) {
                    // The slot holds the default picture now: its tile shows it.
                    OnWindowThread([this] { LoadSlots(); });
                } else {
                    m_waits->CloseLEDWaitDlg();
                    if (command == kCommandPrepareFrames) {
                        OnWindowThread([this] { ImportDone(); });
                    }
                }
            });
        });
        // The slots' labels and the library's limit are composed with numbers: they are
        // composed again in the new language.
        OnLanguage([this] {
            if (Ready()) {
                LoadSlots();
                ShowFrameLimit(MaxFrames());
            }
        });
    }
}

void ScreenPage::Layout(const QSize& size) {
    auto at = [this](int id, const QRect& rect) { Place(Window().GetControl(id), rect); };
    auto panel = [&](int index, const QRect& rect) { at(kFirstPanel + index, rect); };
    const int bottom = size.height() - kFooterRoom - 10;
    const int right = size.width() - 10;

    // Screen slots and the animation library.
    constexpr int kLeftRight = 290;
    panel(0, glint::RectLTRB(10, 10, kLeftRight, 250));
    at(kTitle, QRect(26, 20, 200, 28));
    at(kHelp, QRect(kLeftRight - 40, 23, 22, 22));
    at(kScreens, glint::RectLTRB(20, 56, kLeftRight - 10, 240));
    panel(1, glint::RectLTRB(10, 260, kLeftRight, bottom - 56));
    at(kLibraryText, QRect(26, 270, 240, 28));
    at(kLibrary, glint::RectLTRB(20, 306, kLeftRight - 10, bottom - 66));
    panel(9, glint::RectLTRB(10, bottom - 46, kLeftRight, bottom));
    const int buttonWidth = (kLeftRight - 10) / 3;
    for (int i = 0; i < 3; ++i) {
        at(kNewSet + i, QRect(10 + i * buttonWidth, bottom - 42, buttonWidth, 38));
    }
    at(kSeparator1, QRect(10 + buttonWidth, bottom - 34, 1, 22));
    at(kSeparator2, QRect(10 + 2 * buttonWidth, bottom - 34, 1, 22));

    // The frame editor.
    constexpr int kEditorLeft = 300;
    constexpr int kEditorRight = 830;
    panel(2, glint::RectLTRB(kEditorLeft, 10, kEditorRight, 56));
    at(kEditorText, QRect(kEditorLeft + 16, 18, 140, 30));
    at(kEditorHelp, QRect(kEditorLeft + 160, 22, 22, 22));
    at(kGrid, QRect(kEditorLeft + 200, 18, 120, 30));
    at(kPreview, QRect(kEditorRight - 190, 17, 80, 32));
    at(kSeparator3, QRect(kEditorRight - 104, 23, 1, 20));
    at(kEdit, QRect(kEditorRight - 96, 17, 80, 32));
    const int framesTop = bottom - 120;
    panel(3, glint::RectLTRB(kEditorLeft, 66, kEditorRight, framesTop - 10));
    const int canvasSide = std::min(kEditorRight - kEditorLeft - 40, framesTop - 10 - 66 - 40);
    const QRect canvas((kEditorLeft + kEditorRight - canvasSide) / 2,
                       66 + (framesTop - 10 - 66 - canvasSide) / 2, canvasSide, canvasSide);
    at(kEditorBackground, canvas);
    // Made before its background picture: it must stay above it.
    m_editor->SetRect(canvas.adjusted(8, 8, -8, -8));
    m_editor->raise();
    panel(4, glint::RectLTRB(kEditorLeft, framesTop, kEditorRight, bottom));
    at(kFrames, glint::RectLTRB(kEditorLeft + 10, framesTop + 10, kEditorRight - 10, bottom - 10));

    // Text, tools, colours and actions.
    constexpr int kToolsLeft = 840;
    const int inner = kToolsLeft + 16;
    const int innerRight = right - 16;
    panel(5, glint::RectLTRB(kToolsLeft, 10, right, 136));
    at(kTextTitle, QRect(inner, 18, 200, 28));
    at(kTextField, glint::RectLTRB(inner, 50, innerRight, 82));
    at(kFontSizeText, glint::RectLTRB(inner, 92, innerRight - 80, 124));
    at(kFontSize, glint::RectLTRB(innerRight - 70, 92, innerRight, 124));
    panel(6, glint::RectLTRB(kToolsLeft, 146, right, 202));
    int x = inner;
    for (const ToolButton& tool : kTools) {
        at(tool.id, QRect(x, 158, 32, 32));
        x += 46;
    }
    panel(7, glint::RectLTRB(kToolsLeft, 212, right, 412));
    at(kColourText, QRect(inner, 220, 200, 28));
    at(kShadeBar, glint::RectLTRB(inner, 254, innerRight, 276));
    at(kHueBar, glint::RectLTRB(inner, 286, innerRight, 308));
    const int third = (innerRight - inner) / 3;
    for (int i = 0; i < 3; ++i) {
        at(kFirstLabel + i, QRect(inner + i * third, 322, 20, 30));
        at(kFirstField + i, QRect(inner + i * third + 22, 322, third - 34, 30));
    }
    const int slotCount = kLastSlot - kFirstSlot + 1;
    const int pitch = (innerRight - inner) / slotCount;
    for (int i = 0; i < slotCount; ++i) {
        at(kFirstSlot + i, QRect(inner + i * pitch, 372, std::min(pitch - 10, 40), 28));
    }
    panel(8, glint::RectLTRB(kToolsLeft, 422, right, bottom));
    // The actions with the longest captions have a row to themselves, so that every language
    // shows them in full at the buttons' own size; save and export share one.
    const int whole = innerRight - inner;
    const int half = (whole - 10) / 2;
    at(kDefaultPicture, QRect(inner, 432, whole, 34));
    at(kSyncClock, QRect(inner, 474, whole, 34));
    at(kSave, QRect(inner, 516, half, 34));
    at(kExportGif, QRect(inner + half + 10, 516, half, 34));
    at(kSend, QRect(inner, 558, whole, 34));
}

bool ScreenPage::AcceptsEvent(int id, int code) const {
    switch (id) {
        case kScreens:
        case kLibrary:
        case kEditor:
        case kFrames:
        case kFontSize:
        case kShadeBar:
        case kHueBar:
            return true;
        default:
            return (id >= kFirstField && id < kFirstField + 3) || Page::AcceptsEvent(id, code);
    }
}

bool ScreenPage::ActsOn(int id, int code) {
    switch (id) {
        case kEditor:
            return code == glint::kEventImageEditor || code == glint::kEventRightButton;
        case kFrames:
            return code == glint::kEventClick || code == glint::kEventActivate;
        case kFontSize:
            return code == glint::kEventTextChanged;
        default:
            break;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventTextChanged;
    }
    return code == glint::kEventClick;
}

int ScreenPage::OnEvent(int id, int code, int) {
    if (!ActsOn(id, code)) {
        return 0;
    }
    if (!Ready()) {
        // A keyboard without a screen: nothing to work on.
        return 1;
    }
    switch (id) {
        case kScreens:
            return code == glint::kEventClick ? OnScreenChosen() : 0;
        case kLibrary:
            return code == glint::kEventClick ? OnLibrary() : 0;
        case kEditor:
            if (code == glint::kEventImageEditor) {
                m_edited = true;
                return 1;
            }
            if (code == glint::kEventRightButton) {
                EditorMenu();
                return 1;
            }
            return 0;
        case kFrames:
            if (code == glint::kEventActivate) {
                EditDelay();
                return 1;
            }
            return code == glint::kEventClick ? OnFrames() : 0;
        case kFontSize:
            if (code == glint::kEventTextChanged) {
                const auto* field = dynamic_cast<glint::MEdit*>(Window().GetControl(kFontSize));
                m_editor->SetFontSize(std::max(1, field ? field->GetEditText().toInt() : 1));
                return 1;
            }
            return 0;
        case kShadeBar:
        case kHueBar:
            return code == glint::kEventClick ? OnColour(id) : 0;
        default:
            break;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventTextChanged ? OnColour(id) : 0;
    }
    if (code != glint::kEventClick) {
        return 0;
    }
    switch (id) {
        case kNewSet:
            NewAnimation();
            return 1;
        case kImportGif:
            ImportGif();
            return 1;
        case kDeleteSet:
            DeleteAnimation();
            return 1;
        case kGrid:
        case kPreview:
        case kEdit:
            return OnEditor(id);
        case kAddText: {
            const auto* field = dynamic_cast<glint::MEdit*>(Window().GetControl(kTextField));
            if (m_frame >= 0 && field != nullptr) {
                m_editor->AddText(field->GetEditText());
                m_edited = true;
            }
            return 1;
        }
        case kAddPicture:
            AddPictures();
            return 1;
        case kCopyFrame:
            CopyFrame();
            return 1;
        case kDeleteFrame:
            DeleteFrame();
            return 1;
        case kPen:
        case kEraser:
        case kUndo:
            return OnDrawingTool(id);
        default:
            break;
    }
    if (id >= kFirstSlot && id <= kLastSlot) {
        auto* button = dynamic_cast<glint::CColorButton*>(Window().GetControl(id));
        if (button != nullptr) {
            const std::uint32_t bgr = button->GetColor();
            SetDrawingColour(bgr, 0);
            Controller().Database().SetConfigValue(
                kSettingsProfile, "default_color" + std::to_string(id - kFirstSlot + 1),
                std::to_string(bgr));
        }
        return 1;
    }
    for (int action : kActions) {
        if (action == id) {
            return OnAction(id);
        }
    }
    return 0;
}

void ScreenPage::ShowFrameLimit(int maxFrames) {
    // The library shows the limit in its title; the other texts stay as they are.
    if (auto* library = dynamic_cast<glint::MControlFont*>(Window().GetControl(kLibrary))) {
        library->SetTitle(QStringLiteral("%1 %2 %3").arg(Text(870)).arg(maxFrames).arg(Text(871)));
    }
}

void ScreenPage::OnFeatureLoaded(int feature) {
    // The worker has imported the default animations; the window reads the library itself.
    if (feature == kFeatureScreen) {
        OnWindowThread([this] { LoadPage(); });
    }
}

void ScreenPage::OnWindowThread(std::function<void()> action) {
    std::shared_ptr<PageGate> gate = m_context.gate;
    QMetaObject::invokeMethod(
        m_library, [gate, action = std::move(action)] { gate->Run(action); }, Qt::QueuedConnection);
}

bool ScreenPage::Ready() const {
    const auto layout = Controller().Layout();
    return m_feature && layout &&
           ((layout->cableFeatures | layout->wirelessFeatures) & kFeatureScreen) != 0;
}

ScreenPaths ScreenPage::Paths() const {
    return m_feature->Paths(*Controller().Layout());
}

int ScreenPage::MaxFrames() const {
    const auto layout = Controller().Layout();
    return layout ? layout->screenMaxFrames : 0;
}

// ---- Loading ----

void ScreenPage::LoadPage() {
    if (!Ready()) {
        return;
    }
    const auto layout = Controller().Layout();
    m_editor->SetCanvasSize(QSize(layout->screenWidth, layout->screenHeight));
    LoadSlots();
    const int previous = m_ledId;
    LoadLibrary();
    if (m_library->SetItemLEDIdSelect(previous) < 0) {
        m_library->SetCurSel(0);
    }
    m_ledId = 0;
    ShowAnimation(m_library->GetItemLEDId(m_library->GetCurSel()));
    for (int i = 0; i < kPaletteCount; ++i) {
        std::string value;
        Controller().Database().GetConfigValue(kSettingsProfile,
                                               "default_color" + std::to_string(i + 1), value);
        if (auto* button =
                dynamic_cast<glint::CColorButton*>(Window().GetControl(kFirstSlot + i))) {
            button->SetColor(static_cast<std::uint32_t>(std::stoul(value.empty() ? "0" : value)));
        }
    }
    ShowFrameLimit(layout->screenMaxFrames);
}

void ScreenPage::LoadSlots() {
    const auto layout = Controller().Layout();
    if (!layout) {
        return;
    }
    const int selected = std::max(m_screens->GetCurSel(), 0);
    std::vector<TftImage> rows;
    Controller().Database().ListTftImages(kScreenProfile, rows);
    m_screens->DeleteAllItems();
    for (int slot = 0; slot < layout->screenFrameCount; ++slot) {
        int frames = 0;
        QString picture;
        for (const TftImage& row : rows) {
            if (row.tft_id == slot + 1) {
                frames = row.frame_size;
                picture = FromStd(row.file_name);
            }
        }
        m_screens->AddItem({});
        m_screens->SetItemInfo(slot,
                               QStringLiteral("%1 %2\n%3 %4")
                                   .arg(Text(866))
                                   .arg(frames)
                                   .arg(Text(867))
                                   .arg(layout->screenMaxFrames),
                               picture);
    }
    m_screens->SetCurSel(std::min(selected, layout->screenFrameCount - 1));
    m_feature->SetSelectedSlot(std::max(m_screens->GetCurSel(), 0));
    ShowSlotChoice();
}

bool ScreenPage::SlotsChoosable() const {
    return Controller().ConnectionMode() == kModeCable;
}

void ScreenPage::ShowSlotChoice() {
    // Over the receiver the keyboard puts an upload into the slot it shows: the strip offers no
    // choice it could not keep, and the default picture, which travels on the cable, waits too.
    const bool choosable = SlotsChoosable();
    m_screens->SetEnabled(choosable);
    m_screens->SetTooltip(choosable ? QString() : Text(kTextSlotsNeedCable));
    if (glint::MControl* button = Window().GetControl(kDefaultPicture)) {
        button->SetEnabled(choosable);
    }
}

void ScreenPage::LoadLibrary() {
    const ScreenPaths paths = Paths();
    std::vector<ScreenLayer> layers;
    Controller().Database().ListScreenLayers(kScreenProfile, layers);
    m_library->DeleteAllItems();
    for (const ScreenLayer& layer : layers) {
        const QString folder = FromStd(paths.AnimationFolder(layer.file_dir));
        const int index = m_library->AddString(folder + FromStd(layer.first_file), folder,
                                               layer.frame_size, layer.led_id);
        std::vector<ScreenFrame> frames;
        Controller().Database().ListScreenFrames(layer.led_id, frames);
        std::vector<QString> files;
        std::vector<int> delays;
        for (const ScreenFrame& frame : frames) {
            files.push_back(folder + FromStd(frame.file_name));
            delays.push_back(ScreenDelayUsed(frame.delay_time));
        }
        m_library->SetItemFrames(index, std::move(files), std::move(delays));
    }
}

void ScreenPage::ShowAnimation(int ledId) {
    m_ledId = ledId;
    m_frame = -1;
    m_edited = false;
    m_frames->DeleteAllItems();
    m_editor->DeleteAllItems();
    ShowEditorMode();
    m_feature->SetSelectedAnimation(ledId, std::max(m_library->GetCurSel(), 0));
    ScreenLayer layer;
    if (ledId == 0 || !Controller().Database().GetScreenLayer(ledId, layer)) {
        return;
    }
    const QString folder = FromStd(Paths().AnimationFolder(layer.file_dir));
    std::vector<ScreenFrame> frames;
    Controller().Database().ListScreenFrames(ledId, frames);
    for (const ScreenFrame& frame : frames) {
        // The delay the keyboard will play, which is what a later save stores.
        m_frames->AddString({folder + FromStd(frame.file_name),
                             {},
                             ScreenDelayUsed(frame.delay_time),
                             frame.frame_id,
                             FromStd(frame.name)});
    }
    if (!frames.empty()) {
        SelectFrame(0);
    }
}

// ---- Keyboard ----

int ScreenPage::OnScreenChosen() {
    const int slot = m_screens->GetCurSel();
    if (slot < 0 || !SlotsChoosable()) {
        return 1;
    }
    m_feature->SetSelectedSlot(slot);
    Controller().PostCommand(kCommandScreenLayer);
    return 1;
}

void ScreenPage::ExportGif() {
    if (m_frames->GetItemCount() == 0) {
        return;
    }
    const QString path = Services().ChooseSaveFile(
        Text(kChooseGifSaveName), QStringLiteral("animation.gif"), QStringLiteral("LED (*.gif)"));
    if (path.isEmpty()) {
        return;
    }
    KeepEditorEdit();
    std::vector<int> delays;
    std::vector<std::string> files;
    for (const QString& file : StripFiles(&delays)) {
        files.push_back(file.toStdString());
    }
    m_feature->SetExport(path.toStdString(), std::move(files), std::move(delays));
    m_waits->ShowLEDWaitDlg();
    Controller().PostCommand(kCommandSaveScreenGif);
}

void ScreenPage::Send() {
    AskSave();
    if (m_ledId == 0) {
        return;
    }
    const int frames = Controller().Database().CountScreenFrames(m_ledId);
    if (frames == 0) {
        Services().ShowMessageBox(Text(821), Text(847), kMessageOk);
        return;
    }
    if (frames > MaxFrames()) {
        ShowTooManyFrames(frames);
    }
    m_feature->SetSelectedAnimation(m_ledId, std::max(m_library->GetCurSel(), 0));
    m_feature->SetSelectedSlot(std::max(m_screens->GetCurSel(), 0));
    m_waits->ShowLEDWaitDlg2();
    Controller().PostCommand(kCommandUploadScreen);
}

int ScreenPage::OnAction(int id) {
    switch (id) {
        case kDefaultPicture:
            if (m_screens->GetCurSel() >= 0 && SlotsChoosable()) {
                m_feature->SetSelectedSlot(m_screens->GetCurSel());
                Controller().PostCommand(kCommandScreenSlot);
            }
            break;
        case kSyncClock:
            Controller().PostCommand(kCommandSetClock);
            break;
        case kSave:
            Save();
            break;
        case kExportGif:
            ExportGif();
            break;
        case kSend:
            Send();
            break;
        default:
            break;
    }
    return 1;
}

}  // namespace zephyl::window
