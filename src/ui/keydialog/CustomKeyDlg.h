// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MDialog.h"
#include "keys/CustomKeyModel.h"
#include "keys/KeyNames.h"

#include <functional>

namespace zephyl {

class ProfileDatabase;

/// The key-assignment dialog of the key page (720 × 380): choose what a key does — another key
/// with modifiers, a combination, a macro, a mouse, media or shortcut item, a program, a web
/// page or a text — and confirm. Ends with 1 when an assignment was stored; the caller then
/// shows the layer's assignments again and posts the single-key write.
class CustomKeyDlg : public glint::MDialog {
public:
    /// Shows a message of the dialog (entry, caption); the window's skinned message box.
    using MessageFunction = std::function<void(int text, int caption)>;
    /// Asks for a program to run; returns its full path, empty when cancelled.
    using BrowseFunction = std::function<std::string()>;

    CustomKeyDlg(ProfileDatabase& database, int keyCode, int profile, int layer);
    ~CustomKeyDlg() override;

    void SetMessageFunction(MessageFunction show) { m_showMessage = std::move(show); }
    void SetBrowseFunction(BrowseFunction browse) { m_browse = std::move(browse); }
    /// Names captured keys in the user's keyboard layout.
    void SetKeyNames(KeyNameSource names) { m_keyNames = std::move(names); }

    /// Creates the window centred over `parent` and runs it; 1 when an assignment was stored.
    int Run(glint::MWindow* parent);

    const CustomKeyModel& Model() const { return m_model; }

    // Control ids.
    static constexpr int kKindList = 36;
    static constexpr int kItemList = 37;
    static constexpr int kTextField = 38;
    static constexpr int kShiftBox = 39;
    static constexpr int kCtrlBox = 40;
    static constexpr int kWinBox = 41;
    static constexpr int kAltBox = 42;
    static constexpr int kPlayModeList = 44;
    static constexpr int kRepeatField = 45;
    static constexpr int kCombinationField1 = 50;
    static constexpr int kBrowseButton = 53;
    static constexpr int kApplyButton = 54;
    static constexpr int kCloseButton = 32;

protected:
    void InitUI(const QRect& rect) override;
    int OnMessage(int id, int code, int value) override;

private:
    void ShowKindParts();
    void StartCapture(CustomKeyModel::CaptureTarget target, int fieldId);
    void StopCapture();
    void ReadFields();
    void Apply();

    CustomKeyModel m_model;
    MessageFunction m_showMessage;
    BrowseFunction m_browse;
    KeyNameSource m_keyNames = EnglishKeyName;
    int m_captureToken = 0;
    int m_captureField = 0;
};

}  // namespace zephyl
