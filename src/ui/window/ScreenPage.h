// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ui/window/Page.h"

namespace zephyl::window {

/// The screen page of models with a display: the keyboard's screen slots, the animation library,
/// the frame editor with its tools and colours, and the actions that save and send animations.
/// The screen features come later; until then every action says so in the trace.
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

    explicit ScreenPage(const PageContext& context) : Page(context, kContainer) {}

    void Layout(const QSize& size) override;
    bool AcceptsEvent(int id, int code) const override;
    int OnEvent(int id, int code, int value) override;

    /// How many frames an animation may have on this keyboard. Any thread.
    void ShowFrameLimit(int maxFrames);

protected:
    void BuildControls() override;

private:
    int OnScreenChosen();
    int OnLibrary();
    int OnEditor();
    int OnFrames();
    int OnDrawingTool();
    int OnColour();
    int OnAction();
};

}  // namespace zephyl::window
