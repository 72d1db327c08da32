// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ScreenPage.h"

#include "app/KeyboardController.h"
#include "glint/ImageView.h"
#include "glint/ImageViewList.h"
#include "glint/LCDViewCtrl.h"
#include "glint/LCDViewList.h"
#include "screen/ScreenFeature.h"
#include "screen/ScreenLibrary.h"
#include "screen/ScreenText.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "ui/dialogs/LCDDelayEditDlg.h"
#include "ui/dialogs/WaitDialogs.h"
#include "ui/window/WindowServices.h"

#include <QFileInfo>
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

/// The editor's menu: pen sizes, then zoom levels.
constexpr int kPenSizes[] = {1, 2, 4, 8};
constexpr int kZooms[] = {100, 200, 400};
constexpr int kPenMenuBase = 1;
constexpr int kZoomMenuBase = 101;

std::uint32_t BgrToRgb(std::uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

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
    auto* preview = Make<glint::CTextButton>(kPreview);
    preview->SetImage(QStringLiteral("img_button_check.png"), 4);
    preview->SetAlignment(glint::kAlignCenter);
    CaptionText(preview, 808);
    auto* edit = Make<glint::CTextButton>(kEdit);
    edit->SetImage(QStringLiteral("img_button_nocheck.png"), 4);
    edit->SetAlignment(glint::kAlignCenter);
    CaptionText(edit, 809);
    m_frames = Make<glint::ImageViewList>(kFrames);
    m_frames->SetImage(QStringLiteral("imageview_item_normal.png"));
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
                } else {
                    m_waits->CloseLEDWaitDlg();
                    if (command == kCommandPrepareFrames) {
                        OnWindowThread([this] { ImportDone(); });
                    }
                }
            });
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
    panel(7, glint::RectLTRB(kToolsLeft, 212, right, 452));
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
    panel(8, glint::RectLTRB(kToolsLeft, 462, right, bottom));
    const int half = (innerRight - inner - 10) / 2;
    for (int i = 0; i < 5; ++i) {
        const int row = i / 2;
        const int column = i % 2;
        at(kActions[i], QRect(inner + column * (half + 10), 474 + row * 42, half, 34));
    }
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

int ScreenPage::OnEvent(int id, int code, int) {
    if (!Ready()) {
        // A keyboard without a screen: nothing to work on.
        return Owns(id) && (code == glint::kEventClick || AcceptsEvent(id, code)) ? 1 : 0;
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
            return code == glint::kEventClick ? OnColour() : 0;
        default:
            break;
    }
    if (id >= kFirstField && id < kFirstField + 3) {
        return code == glint::kEventTextChanged ? OnColour() : 0;
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
    fprintf(stderr, "LOADED %d\n", feature);
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
    fprintf(stderr, "READY feature=%d layout=%d\n", bool(m_feature), bool(Controller().Layout()));
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
    fprintf(stderr, "LOADPAGE\n");
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
                               QStringLiteral("%1 %2 %3 %4")
                                   .arg(Text(866))
                                   .arg(frames)
                                   .arg(Text(867))
                                   .arg(layout->screenMaxFrames),
                               picture);
    }
    m_screens->SetCurSel(std::min(selected, layout->screenFrameCount - 1));
    m_feature->SetSelectedSlot(std::max(m_screens->GetCurSel(), 0));
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
            delays.push_back(frame.delay_time);
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
    m_feature->SetSelectedAnimation(ledId, std::max(m_library->GetCurSel(), 0));
    ScreenLayer layer;
    if (ledId == 0 || !Controller().Database().GetScreenLayer(ledId, layer)) {
        return;
    }
    const QString folder = FromStd(Paths().AnimationFolder(layer.file_dir));
    std::vector<ScreenFrame> frames;
    Controller().Database().ListScreenFrames(ledId, frames);
    for (const ScreenFrame& frame : frames) {
        m_frames->AddString({folder + FromStd(frame.file_name),
                             {},
                             frame.delay_time,
                             frame.frame_id,
                             FromStd(frame.name)});
    }
    if (!frames.empty()) {
        SelectFrame(0);
    }
}

// ---- Frames ----

QString ScreenPage::EditFileFor(int index) const {
    // Frames of different animations may share a name ("0.png").
    return m_editFolder->filePath(
        QStringLiteral("%1-%2").arg(m_ledId).arg(m_frames->GetFrameItemName(index)));
}

void ScreenPage::KeepEditorEdit() {
    if (m_frame < 0 || m_frame >= m_frames->GetItemCount()) {
        return;
    }
    if (m_editor->SaveImageData()) {
        m_frames->UpdateItemImageFile(m_frame, m_editor->GetEditImageFile());
        m_edited = true;
    }
}

void ScreenPage::SelectFrame(int index) {
    KeepEditorEdit();
    m_frames->SetCurSel(index);
    m_frame = m_frames->GetCurSel();
    if (m_frame < 0) {
        m_editor->DeleteAllItems();
        return;
    }
    m_editor->SetImage(m_frames->GetItemEditImageFile(m_frame), EditFileFor(m_frame));
}

std::vector<QString> ScreenPage::StripFiles(std::vector<int>* delays) const {
    std::vector<QString> files;
    for (const glint::ImageViewItem& item : m_frames->GetImageViewItems()) {
        files.push_back(item.editImageFile);
        if (delays) {
            delays->push_back(item.delayMs);
        }
    }
    return files;
}

int ScreenPage::OnFrames() {
    const int index = m_frames->GetCurSel();
    if (index != m_frame) {
        SelectFrame(index);
    }
    return 1;
}

void ScreenPage::AddPictures() {
    ScreenLayer layer;
    if (m_ledId == 0 || !Controller().Database().GetScreenLayer(m_ledId, layer)) {
        return;
    }
    const std::vector<QString> files =
        Services().ChooseOpenFiles(QStringLiteral("Picture (*.jpg;*.gif;*.png)"));
    if (files.empty()) {
        return;
    }
    KeepEditorEdit();
    const ScreenPaths paths = Paths();
    const QString folder = FromStd(paths.AnimationFolder(layer.file_dir));
    const int selected = m_frames->GetCurSel();
    int at = selected < 0 ? m_frames->GetItemCount() : selected + 1;
    for (const QString& file : files) {
        const std::string name = AddPictureFile(paths, layer, file.toStdString());
        if (name.empty()) {
            Services().ShowMessageBox(Text(814),
                                      FromStd(ScreenMessage(kTextNotAPicture, file.toStdString())),
                                      kMessageOk);
            continue;
        }
        m_frames->AddString({folder + FromStd(name), {}, kAddedPictureDelayMs, 0, FromStd(name)},
                            at++);
        m_edited = true;
    }
    if (selected < 0 && m_frames->GetItemCount() > 0) {
        SelectFrame(0);
    }
}

void ScreenPage::CopyFrame() {
    ScreenLayer layer;
    const int selected = m_frames->GetCurSel();
    if (selected < 0 || !Controller().Database().GetScreenLayer(m_ledId, layer)) {
        return;
    }
    KeepEditorEdit();
    const ScreenPaths paths = Paths();
    const std::string name =
        AddPictureFile(paths, layer, m_frames->GetItemEditImageFile(selected).toStdString());
    if (name.empty()) {
        return;
    }
    m_frames->AddString({FromStd(paths.AnimationFolder(layer.file_dir) + name),
                         {},
                         m_frames->GetItemDelayTime(selected),
                         0,
                         FromStd(name)},
                        selected + 1);
    m_edited = true;
}

void ScreenPage::DeleteFrame() {
    const int selected = m_frames->GetCurSel();
    if (selected < 0 ||
        Services().ShowMessageBox(Text(818), Text(846), kMessageQuestion) != kAnswerOk) {
        return;
    }
    // The frame's pending edit goes with it.
    m_editor->ClearCurEdit();
    m_frame = -1;
    m_frames->DeleteItem(selected);
    m_edited = true;
    SelectFrame(m_frames->GetCurSel());
}

void ScreenPage::EditDelay() {
    const int selected = m_frames->GetCurSel();
    if (selected < 0 || !m_delayEditor) {
        return;
    }
    const std::optional<DelayChoice> choice = m_delayEditor(m_frames->GetItemDelayTime(selected));
    if (!choice) {
        return;
    }
    const int delay = FrameDelayFromText(choice->delay);
    if (choice->allFrames) {
        m_frames->SetDelayTime(delay);
    } else {
        m_frames->SetItemDelayTime(selected, delay);
    }
    m_edited = true;
}

// ---- Library ----

void ScreenPage::AskSave() {
    if (m_ledId == 0 || (!m_edited && !m_editor->IsModified())) {
        return;
    }
    if (Services().ShowMessageBox(Text(831), Text(830), kMessageQuestion) == kAnswerOk) {
        Save();
    } else {
        // The stored frames, as they were before the edits.
        ShowAnimation(m_ledId);
    }
}

void ScreenPage::Save() {
    if (m_ledId == 0) {
        return;
    }
    KeepEditorEdit();
    std::vector<LibraryFrame> frames;
    for (const glint::ImageViewItem& item : m_frames->GetImageViewItems()) {
        frames.push_back({item.name.toStdString(), item.delayMs, item.editImageFile.toStdString()});
    }
    SaveAnimationFrames(Controller().Database(), Paths(), m_ledId, frames);
    const int index = m_library->SetItemLEDIdSelect(m_ledId);
    const int selectedFrame = std::max(m_frames->GetCurSel(), 0);
    ScreenLayer layer;
    if (index >= 0 && Controller().Database().GetScreenLayer(m_ledId, layer)) {
        const QString folder = FromStd(Paths().AnimationFolder(layer.file_dir));
        m_library->SetFrameData(index, folder + FromStd(layer.first_file), layer.frame_size);
        std::vector<int> delays;
        std::vector<QString> files;
        for (const LibraryFrame& frame : frames) {
            files.push_back(folder + FromStd(frame.name));
            delays.push_back(frame.delayMs);
        }
        m_library->SetItemFrames(index, std::move(files), std::move(delays));
    }
    ShowAnimation(m_ledId);
    if (selectedFrame < m_frames->GetItemCount()) {
        SelectFrame(selectedFrame);
    }
}

int ScreenPage::OnLibrary() {
    const int index = m_library->GetCurSel();
    const int ledId = m_library->GetItemLEDId(index);
    if (ledId == m_ledId || ledId == 0) {
        return 1;
    }
    if (m_ledId != 0 && (m_edited || m_editor->IsModified())) {
        // The question is about the animation left: show it selected while asking.
        const int leaving = m_ledId;
        m_library->SetItemLEDIdSelect(leaving);
        AskSave();
        m_library->SetCurSel(index);
    }
    ShowAnimation(ledId);
    if (m_frames->GetItemCount() == 0) {
        AddPictures();
    }
    return 1;
}

void ScreenPage::NewAnimation() {
    AskSave();
    const int ledId = CreateAnimation(Controller().Database(), Paths());
    if (ledId == 0) {
        return;
    }
    ScreenLayer layer;
    Controller().Database().GetScreenLayer(ledId, layer);
    const QString folder = FromStd(Paths().AnimationFolder(layer.file_dir));
    m_library->SetCurSel(m_library->AddString({}, folder, 0, ledId));
    ShowAnimation(ledId);
}

void ScreenPage::ImportGif() {
    AskSave();
    const QString file = Services().ChooseOpenFile(QStringLiteral("LED File (*.gif)"));
    if (file.isEmpty() || !QFileInfo::exists(file) || Controller().CommandWaiting()) {
        return;
    }
    m_feature->SetImportFile(file.toStdString());
    // Shown before the command goes: the worker's close cannot come first.
    m_waits->ShowLEDWaitDlg();
    Controller().PostCommand(kCommandPrepareFrames);
}

void ScreenPage::ImportDone() {
    std::string error;
    const int ledId = m_feature->LastImported(&error);
    if (ledId == 0) {
        Services().ShowMessageBox(Text(834), FromStd(error), kMessageOk);
        return;
    }
    LoadLibrary();
    m_library->SetCurSel(m_library->GetItemCount() - 1);
    ShowAnimation(m_library->GetItemLEDId(m_library->GetCurSel()));
    const int frames = m_frames->GetItemCount();
    if (frames > MaxFrames()) {
        ShowTooManyFrames(frames);
    }
}

void ScreenPage::DeleteAnimation() {
    const int index = m_library->GetCurSel();
    if (index < 0) {
        return;
    }
    AskSave();
    if (Services().ShowMessageBox(Text(836), Text(835), kMessageQuestion) != kAnswerOk) {
        return;
    }
    zephyl::DeleteAnimation(Controller().Database(), Paths(), m_library->GetItemLEDId(index));
    m_library->DeleteItem(index);
    ShowAnimation(m_library->GetItemLEDId(m_library->GetCurSel()));
}

void ScreenPage::ShowTooManyFrames(int frames) {
    Services().ShowMessageBox(Text(834),
                              QStringLiteral("%1 %2 %3 %4 %5")
                                  .arg(Text(872))
                                  .arg(MaxFrames())
                                  .arg(Text(873))
                                  .arg(frames)
                                  .arg(Text(874)),
                              kMessageOk);
}

// ---- Editor ----

int ScreenPage::OnEditor(int id) {
    if (id == kGrid) {
        const auto* grid = dynamic_cast<glint::CCheckButton*>(Window().GetControl(kGrid));
        m_editor->SetGrid(grid != nullptr && grid->GetCheck() != 0);
    } else if (id == kPreview) {
        KeepEditorEdit();
        std::vector<int> delays;
        std::vector<QString> files = StripFiles(&delays);
        m_editor->SetImagePreviewMode(true, std::move(files), std::move(delays));
    } else if (id == kEdit) {
        m_editor->SetImagePreviewMode(false);
    }
    return 1;
}

void ScreenPage::EditorMenu() {
    std::vector<std::pair<int, QString>> items;
    for (int i = 0; i < int(std::size(kPenSizes)); ++i) {
        items.emplace_back(kPenMenuBase + i, QStringLiteral("%1 px").arg(kPenSizes[i]));
    }
    for (int i = 0; i < int(std::size(kZooms)); ++i) {
        items.emplace_back(kZoomMenuBase + i, QStringLiteral("%1%").arg(kZooms[i]));
    }
    const int chosen = Services().TrackMenu(items);
    if (chosen >= kPenMenuBase && chosen < kPenMenuBase + int(std::size(kPenSizes))) {
        m_editor->SetPenSize(kPenSizes[chosen - kPenMenuBase]);
    } else if (chosen >= kZoomMenuBase && chosen < kZoomMenuBase + int(std::size(kZooms))) {
        m_editor->SetScale100(kZooms[chosen - kZoomMenuBase]);
    }
}

int ScreenPage::OnDrawingTool(int id) {
    switch (id) {
        case kPen:
            m_editor->SetDrawMode(glint::ImageView::kDrawPen);
            break;
        case kEraser:
            m_editor->SetDrawMode(glint::ImageView::kDrawEraser);
            break;
        case kUndo:
            m_editor->RecoverCurEdit();
            break;
        default:
            break;
    }
    return 1;
}

void ScreenPage::SetDrawingColour(std::uint32_t bgr, int except) {
    m_editor->SetColorValue(BgrToRgb(bgr));
    const int parts[3] = {int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)};
    for (int i = 0; i < 3; ++i) {
        if (kFirstField + i == except) {
            continue;
        }
        if (auto* field = dynamic_cast<glint::MEdit*>(Window().GetControl(kFirstField + i))) {
            field->SetEditText(QString::number(parts[i]));
        }
    }
}

int ScreenPage::OnColour() {
    // Which control spoke is not passed on: the bars and fields agree after every change, so
    // the one that differs from the editor's colour is the one the user moved.
    const std::uint32_t current = m_editor->GetColorValue();
    auto* shade = dynamic_cast<glint::LCDPaletteBar*>(Window().GetControl(kShadeBar));
    auto* hue = dynamic_cast<glint::LCDPaletteBar*>(Window().GetControl(kHueBar));
    std::uint32_t fields = 0;
    for (int i = 0; i < 3; ++i) {
        const auto* field = dynamic_cast<glint::MEdit*>(Window().GetControl(kFirstField + i));
        const int value = std::clamp(field ? field->GetEditText().toInt() : 0, 0, 255);
        fields |= std::uint32_t(value) << (8 * i);
    }
    if (BgrToRgb(fields) != current) {
        m_editor->SetColorValue(BgrToRgb(fields));
        return 1;
    }
    for (glint::LCDPaletteBar* bar : {hue, shade}) {
        if (bar != nullptr && BgrToRgb(bar->GetSelectColor()) != current) {
            SetDrawingColour(bar->GetSelectColor(), 0);
            if (bar == hue && shade != nullptr) {
                shade->SetSelectColor(bar->GetSelectColor());
            }
            break;
        }
    }
    return 1;
}

// ---- Keyboard ----

int ScreenPage::OnScreenChosen() {
    const int slot = m_screens->GetCurSel();
    if (slot < 0) {
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
    const QString path =
        Services().ChooseSaveFile(QStringLiteral("animation.gif"), QStringLiteral("LED (*.gif)"));
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
            if (m_screens->GetCurSel() >= 0) {
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
