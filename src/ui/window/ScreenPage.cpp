// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window/ScreenPage.h"

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

}  // namespace

void ScreenPage::BuildControls() {
    for (int id = kFirstPanel; id <= kLastPanel; ++id) {
        MakePanel(id);
    }
    MakeText(kTitle, 801)->SetTextColor(kTextColour);
    auto* help = Make<glint::CHelpButton>(kHelp);
    help->SetImage(QStringLiteral("img_help.png"), 1);
    help->SetAirbladderMode(1);
    CaptionText(help, 802);
    MakeLater("LCDViewCtrl", kScreens);
    MakeText(kLibraryText, 865);
    if (glint::MControl* library = MakeLater("LCDViewList", kLibrary)) {
        library->AddMTimer();
    }
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
    if (glint::MControl* editor = MakeLater("ImageView", kEditor)) {
        editor->AddMTimer();
    }
    MakeCheck(kGrid, 862);
    auto* preview = Make<glint::CTextButton>(kPreview);
    preview->SetImage(QStringLiteral("img_button_check.png"), 4);
    preview->SetAlignment(glint::kAlignCenter);
    CaptionText(preview, 808);
    auto* edit = Make<glint::CTextButton>(kEdit);
    edit->SetImage(QStringLiteral("img_button_nocheck.png"), 4);
    edit->SetAlignment(glint::kAlignCenter);
    CaptionText(edit, 809);
    MakeLater("ImageViewList", kFrames);
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
    if (glint::MControl* editor = Window().GetControl(kEditor)) {
        // Made before its background picture: it must stay above it.
        editor->SetRect(canvas.adjusted(8, 8, -8, -8));
        editor->raise();
    }
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
    switch (id) {
        case kScreens:
            return code == glint::kEventClick ? OnScreenChosen() : 0;
        case kLibrary:
            return code == glint::kEventClick ? OnLibrary() : 0;
        case kEditor:
            return code == glint::kEventImageEditor || code == glint::kEventRightButton ? OnEditor()
                                                                                        : 0;
        case kFrames:
            return code == glint::kEventClick || code == glint::kEventActivate ? OnFrames() : 0;
        case kFontSize:
            return code == glint::kEventTextChanged ? OnEditor() : 0;
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
    if (id >= kNewSet && id <= kDeleteSet) {
        return OnLibrary();
    }
    if (id == kGrid || id == kPreview || id == kEdit) {
        return OnEditor();
    }
    for (const ToolButton& tool : kTools) {
        if (tool.id == id) {
            return OnDrawingTool();
        }
    }
    if (id >= kFirstSlot && id <= kLastSlot) {
        return OnColour();
    }
    for (int action : kActions) {
        if (action == id) {
            return OnAction();
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

int ScreenPage::OnScreenChosen() {
    return NotInThisBuild("screen: slot chosen");
}

int ScreenPage::OnLibrary() {
    return NotInThisBuild("screen: animation library");
}

int ScreenPage::OnEditor() {
    return NotInThisBuild("screen: frame editor");
}

int ScreenPage::OnFrames() {
    return NotInThisBuild("screen: frame list");
}

int ScreenPage::OnDrawingTool() {
    return NotInThisBuild("screen: drawing tools");
}

int ScreenPage::OnColour() {
    return NotInThisBuild("screen: drawing colour");
}

int ScreenPage::OnAction() {
    return NotInThisBuild("screen: save, export or send");
}

}  // namespace zephyl::window
