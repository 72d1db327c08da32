// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/PageOutcome.h"
#include "store/ProfileRecords.h"

#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zephyl {

class ProfileDatabase;

/// The assignment dialog without its controls: which kind is chosen, what each kind shows, the
/// captured keys, and the record confirming the dialog stores.
class CustomKeyModel {
public:
    /// Kinds in the order the kind list offers them, with their list texts.
    struct KindChoice {
        int kind;
        int text;
    };
    static const std::vector<KindChoice>& KindChoices();

    /// Controls that belong to the kinds: the item list, the text field, the modifier boxes,
    /// the play-mode group, the repeat count, the combination fields, the browse button.
    enum Part { kItems, kTextField, kModifiers, kPlayMode, kRepeat, kCombination, kBrowse };

    /// What the item list holds: text (or a ready text) and item value.
    struct Item {
        std::string text;
        int value = 0;
    };

    /// Where a captured key goes: the kind-2 field or one of the three combination fields.
    enum class CaptureTarget { kNone, kKeyField, kCombination1, kCombination2, kCombination3 };

    CustomKeyModel(ProfileDatabase& database, TextSource texts, int keyCode, int profile,
                   int layer);

    /// The kind list's choice changed: fills the item list and resets the fields of the kind.
    void SelectKind(int kind);
    int Kind() const { return m_kind; }
    int KeyCode() const { return m_keyCode; }
    /// Whether a part of the dialog is shown for the chosen kind (and, for the repeat count,
    /// the play mode).
    bool Shows(Part part) const;
    const std::vector<Item>& Items() const { return m_items; }
    void SelectItem(int index) { m_selectedItem = index; }
    int SelectedItem() const { return m_selectedItem; }
    void SetPlayMode(int mode) { m_playMode = mode; }
    int PlayMode() const { return m_playMode; }
    void SetRepeatText(const std::string& text) { m_repeatText = text; }
    const std::string& RepeatText() const { return m_repeatText; }
    void SetModifiers(bool shift, bool ctrl, bool win, bool alt);
    /// The text typed in (kinds 9, 10) or the file name shown (kind 8).
    void SetFieldText(const std::string& text) { m_fieldText = text; }
    const std::string& FieldText() const { return m_fieldText; }
    /// Kind 8: the program chosen by browsing; only an existing file is taken.
    bool ChooseProgram(const std::string& fullPath);

    /// A capture field got the focus: it is emptied and its key forgotten.
    void StartCapture(CaptureTarget target);
    void StopCapture() { m_target = CaptureTarget::kNone; }
    CaptureTarget Target() const { return m_target; }
    /// A key press while a field captures. Returns whether the field took it: the kind-2 field
    /// ignores the modifier keys, the combination fields take any key.
    bool OnCapturedKey(int virtualKey, const std::string& name);
    /// Text each capture field shows.
    std::string CaptureText(CaptureTarget target) const;

    /// Confirm: stores the assignment. `accepted` is true when the dialog ends; otherwise the
    /// outcome may carry a message and the dialog stays open.
    struct ApplyResult {
        bool accepted = false;
        PageOutcome outcome;
    };
    ApplyResult Apply();

private:
    struct CapturedKey {
        int virtualKey = 0;
        std::string name;
    };
    int CombinationIndex(CaptureTarget target) const;

    ProfileDatabase& m_database;
    TextSource m_texts;
    int m_keyCode;
    int m_profile;
    int m_layer;
    int m_kind = 2;
    std::vector<Item> m_items;
    int m_selectedItem = -1;
    int m_playMode = 0;
    std::string m_repeatText = "1";
    bool m_shift = false, m_ctrl = false, m_win = false, m_alt = false;
    std::string m_fieldText;
    std::string m_programPath;
    CaptureTarget m_target = CaptureTarget::kNone;
    std::optional<CapturedKey> m_keyField;
    std::array<std::optional<CapturedKey>, 3> m_combination;
};

}  // namespace zephyl
