// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/window/Page.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTemporaryDir;

namespace zephyl {
class ScreenFeature;
class WaitDialogs;
struct ScreenPaths;
}  // namespace zephyl

namespace zephyl::glint {
class ImageView;
class ImageViewList;
class LCDViewCtrl;
class LCDViewList;
}  // namespace zephyl::glint

namespace zephyl::window {

/// The screen page of models with a display: the keyboard's screen slots, the animation library,
/// the frame editor with its tools and colours, and the actions that save and send animations.
/// Frame edits live in the frame strip and the editor's edit files until the animation is saved.
class ScreenPage : public Page {
public:
    static constexpr int kContainer = 59;
    enum Id : int {
        kFirstPanel = 307,
        kLastPanel = 316,
        kTitle = 317,
        kHelp = 318,
        kScreens = 319,
        kLibraryText = 320,
        kLibrary = 321,
        kNewSet = 322,
        kImportGif = 323,
        kDeleteSet = 324,
        kSeparator1 = 325,
        kSeparator2 = 326,
        kSeparator3 = 332,
        kEditorText = 327,
        kEditorHelp = 328,
        kEditor = 330,
        kGrid = 329,
        kPreview = 331,
        kEdit = 333,
        kFrames = 334,
        kTextTitle = 335,
        kEditorBackground = 338,
        kTextField = 337,
        kFontSizeText = 339,
        kFontSize = 340,
        kAddText = 341,
        kAddPicture = 342,
        kCopyFrame = 343,
        kPen = 344,
        kUndo = 347,
        kEraser = 345,
        kDeleteFrame = 346,
        kColourText = 348,
        kShadeBar = 349,
        kHueBar = 350,
        kFirstLabel = 351,
        kFirstField = 354,
        kFirstSlot = 357,
        kLastSlot = 362,
        kDefaultPicture = 363,
        kSyncClock = 364,
        kSave = 365,
        kExportGif = 366,
        kSend = 367,
    };
    /// Says why the slots cannot be chosen over the receiver.
    static constexpr int kTextSlotsNeedCable = 1022;

    /// What the delay editor gave: the delay typed and whether it is for every frame.
    struct DelayChoice {
        QString delay;
        bool allFrames = false;
    };
    using DelayEditor = std::function<std::optional<DelayChoice>(int currentDelayMs)>;

    explicit ScreenPage(const PageContext& context);
    ~ScreenPage() override;

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;
    void OnFeatureLoaded(int feature) override;

    /// How many frames an animation may have on this keyboard. Any thread.
    void ShowFrameLimit(int maxFrames);

    /// Reads the library, the slots and the palette again. Window thread.
    void LoadPage();
    /// Replaces the delay dialog (tests answer it).
    void SetDelayEditor(DelayEditor editor) { m_delayEditor = std::move(editor); }
    /// The waiting windows of imports, exports and uploads.
    WaitDialogs& Waits() { return *m_waits; }
    int SelectedAnimation() const { return m_ledId; }
    bool Edited() const { return m_edited; }

protected:
    void BuildControls() override;

private:
    /// Whether the page has an operation for event `code` of control `id`.
    static bool ActsOn(int id, int code);
    int OnScreenChosen();
    int OnLibrary();
    int OnEditor(int id);
    /// Gives the checked face to the button of the editor's mode, preview or edit.
    void ShowEditorMode();
    int OnFrames();
    int OnDrawingTool(int id);
    /// A bar or a colour field `id` changed: the editor's colour and the other controls follow.
    int OnColour(int id);
    int OnAction(int id);

    bool Ready() const;
    ScreenPaths Paths() const;
    int MaxFrames() const;
    void LoadSlots();
    /// Whether the connection lets the program choose the slot an upload goes to (the cable).
    bool SlotsChoosable() const;
    /// Offers the slot strip and the default picture only where a slot can be chosen.
    void ShowSlotChoice();
    void LoadLibrary();
    /// Fills the frame strip with the stored frames of `ledId` and shows frame 0.
    void ShowAnimation(int ledId);
    /// Puts frame `index` into the editor, keeping the edit of the frame shown before.
    void SelectFrame(int index);
    /// Writes the editor's pending edit to its file and gives it to its frame in the strip.
    void KeepEditorEdit();
    /// Asks whether to save unsaved edits; Yes saves, No throws them away.
    void AskSave();
    void Save();
    void NewAnimation();
    void ImportGif();
    void ImportDone();
    void DeleteAnimation();
    void AddPictures();
    void CopyFrame();
    void DeleteFrame();
    void EditDelay();
    void EditorMenu();
    void ExportGif();
    void Send();
    void ShowTooManyFrames(int frames);
    void SetDrawingColour(std::uint32_t bgr, int except);
    QString EditFileFor(int index) const;
    std::vector<QString> StripFiles(std::vector<int>* delays) const;
    /// Runs `action` on the window thread, unless the window is gone.
    void OnWindowThread(std::function<void()> action);

    std::shared_ptr<ScreenFeature> m_feature;
    std::unique_ptr<WaitDialogs> m_waits;
    std::unique_ptr<QTemporaryDir> m_editFolder;
    DelayEditor m_delayEditor;
    glint::LCDViewCtrl* m_screens = nullptr;
    glint::LCDViewList* m_library = nullptr;
    glint::ImageView* m_editor = nullptr;
    glint::ImageViewList* m_frames = nullptr;
    // Window thread only.
    int m_ledId = 0;
    int m_frame = -1;
    bool m_edited = false;
};

}  // namespace zephyl::window
