// SPDX-License-Identifier: GPL-2.0-or-later
// The screen page's animation being edited: its frames, the library entries around it and the
// frame editor's tools.
#include "ui/window/ScreenPage.h"

#include "app/KeyboardController.h"
#include "glint/CTextButton.h"
#include "glint/ImageView.h"
#include "glint/ImageViewList.h"
#include "glint/LCDPalette.h"
#include "glint/LCDViewList.h"
#include "screen/ScreenFeature.h"
#include "screen/ScreenLibrary.h"
#include "screen/ScreenText.h"
#include "store/ProfileDatabase.h"
#include "ui/dialogs/LCDDelayEditDlg.h"
#include "ui/dialogs/WaitDialogs.h"
#include "ui/window/FileChoiceTexts.h"
#include "ui/window/WindowServices.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace zephyl::window {
namespace {

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
        ShowEditorMode();
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
    const std::vector<QString> files = Services().ChooseOpenFiles(
        Text(kChoosePicturesToAdd), QStringLiteral("Picture (*.jpg;*.gif;*.png)"));
    if (files.empty()) {
        return;
    }
    KeepEditorEdit();
    const ScreenPaths paths = Paths();
    const QString folder = FromStd(paths.AnimationFolder(layer.file_dir));
    const int selected = m_frames->GetCurSel();
    int at = selected < 0 ? m_frames->GetItemCount() : selected + 1;
    for (const QString& file : files) {
        std::string error;
        const std::string name = AddPictureFile(paths, layer, file.toStdString(), &error);
        if (name.empty()) {
            Services().ShowMessageBox(
                Text(814), FromStd(ScreenPictureMessage(file.toStdString(), error)), kMessageOk);
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
    const QString file =
        Services().ChooseOpenFile(Text(kChooseGifToImport), QStringLiteral("LED File (*.gif)"));
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
    ShowEditorMode();
    return 1;
}

void ScreenPage::ShowEditorMode() {
    const bool preview = m_editor->IsPreviewMode();
    if (auto* button = dynamic_cast<glint::CTextButton*>(Window().GetControl(kPreview))) {
        button->SetImage(preview ? QStringLiteral("img_lcd_preview_on.png")
                                 : QStringLiteral("img_lcd_preview_off.png"),
                         4);
    }
    if (auto* button = dynamic_cast<glint::CTextButton*>(Window().GetControl(kEdit))) {
        button->SetImage(preview ? QStringLiteral("img_lcd_edit_off.png")
                                 : QStringLiteral("img_lcd_edit_on.png"),
                         4);
    }
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

int ScreenPage::OnColour(int id) {
    auto* shade = dynamic_cast<glint::LCDPalette3*>(Window().GetControl(kShadeBar));
    auto* hue = dynamic_cast<glint::LCDPaletteBar*>(Window().GetControl(kHueBar));
    if (id == kHueBar && hue != nullptr) {
        // A new hue gives the shade bar its shades, with the pure hue chosen in their middle.
        if (shade != nullptr) {
            shade->SetSelectColor(hue->GetSelectColor());
        }
        SetDrawingColour(hue->GetSelectColor(), 0);
        return 1;
    }
    if (id == kShadeBar && shade != nullptr) {
        SetDrawingColour(shade->GetSelectColor(), 0);
        return 1;
    }
    std::uint32_t fields = 0;
    for (int i = 0; i < 3; ++i) {
        const auto* field = dynamic_cast<glint::MEdit*>(Window().GetControl(kFirstField + i));
        const int value = std::clamp(field ? field->GetEditText().toInt() : 0, 0, 255);
        fields |= std::uint32_t(value) << (8 * i);
    }
    if (BgrToRgb(fields) != m_editor->GetColorValue()) {
        m_editor->SetColorValue(BgrToRgb(fields));
    }
    return 1;
}

}  // namespace zephyl::window
