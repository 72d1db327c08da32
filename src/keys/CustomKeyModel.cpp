// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/CustomKeyModel.h"

#include "app/WorkerCommand.h"
#include "keys/AssignmentKinds.h"
#include "keys/HostActions.h"
#include "keys/KeyCodes.h"
#include "keys/KeyTexts.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"

#include <filesystem>

namespace zephyl {
namespace {

std::string Text(const TextSource& texts, int entry) {
    return texts ? texts(entry) : std::string();
}

}  // namespace

const std::vector<CustomKeyModel::KindChoice>& CustomKeyModel::KindChoices() {
    static const std::vector<KindChoice> choices = {
        {kKindKey, 205},        {kKindCombination, 213}, {kKindMacro, 206},
        {kKindMouse, 207},      {kKindMedia, 208},       {kKindShortcut, 209},
        {kKindRunProgram, 210}, {kKindOpenAddress, 211}, {kKindPasteText, 212},
    };
    return choices;
}

CustomKeyModel::CustomKeyModel(ProfileDatabase& database, TextSource texts, int keyCode,
                               int profile, int layer)
    : m_database(database),
      m_texts(std::move(texts)),
      m_keyCode(keyCode),
      m_profile(profile),
      m_layer(layer) {
    SelectKind(kKindKey);
}

void CustomKeyModel::SelectKind(int kind) {
    m_kind = kind;
    m_items.clear();
    m_selectedItem = -1;
    m_fieldText.clear();
    m_programPath.clear();
    m_keyField.reset();
    m_combination = {};
    m_target = CaptureTarget::kNone;
    if (kind == kKindKey) {
        m_repeatText.assign(1, '1');  // (assigning the literal trips a false GCC 12 warning)
    }
    switch (kind) {
        case kKindMacro: {
            std::vector<Macro> macros;
            m_database.ListMacros(macros);
            const std::string base = Text(m_texts, kTextDefaultMacroName);
            for (const Macro& macro : macros) {
                m_items.push_back({ReplaceDefaultPrefix(macro.name, DefaultNameList::kMacros, base),
                                   macro.macro_id});
            }
            break;
        }
        case kKindMouse:
            for (const auto& item : MouseItems()) {
                m_items.push_back({Text(m_texts, item.text), item.item});
            }
            break;
        case kKindMedia:
            for (const auto& item : MediaItems()) {
                m_items.push_back({Text(m_texts, item.text), item.item});
            }
            break;
        case kKindShortcut:
            for (const auto& item : ShortcutItems()) {
                if (item.text != 0) {
                    m_items.push_back({Text(m_texts, item.text), item.item});
                }
            }
            break;
        default:
            break;
    }
    if (!m_items.empty()) {
        m_selectedItem = 0;
    }
}

bool CustomKeyModel::Shows(Part part) const {
    switch (part) {
        case kItems:
            return m_kind == kKindMacro || m_kind == kKindMouse || m_kind == kKindMedia ||
                   m_kind == kKindShortcut || m_kind == kKindSwitchProfile;
        case kTextField:
            return m_kind == kKindKey || m_kind == kKindRunProgram || m_kind == kKindOpenAddress ||
                   m_kind == kKindPasteText;
        case kModifiers:
            return m_kind == kKindKey;
        case kPlayMode:
            return m_kind == kKindMacro;
        case kRepeat:
            return m_kind == kKindMacro && m_playMode == kPlayRepeatCount;
        case kCombination:
            return m_kind == kKindCombination;
        case kBrowse:
            return m_kind == kKindRunProgram;
    }
    return false;
}

void CustomKeyModel::SetModifiers(bool shift, bool ctrl, bool win, bool alt) {
    m_shift = shift;
    m_ctrl = ctrl;
    m_win = win;
    m_alt = alt;
}

bool CustomKeyModel::ChooseProgram(const std::string& fullPath) {
    std::error_code error;
    if (fullPath.empty() || !std::filesystem::is_regular_file(fullPath, error)) {
        return false;
    }
    m_programPath = fullPath;
    m_fieldText = std::filesystem::path(fullPath).filename().string();
    return true;
}

int CustomKeyModel::CombinationIndex(CaptureTarget target) const {
    switch (target) {
        case CaptureTarget::kCombination1:
            return 0;
        case CaptureTarget::kCombination2:
            return 1;
        case CaptureTarget::kCombination3:
            return 2;
        default:
            return -1;
    }
}

void CustomKeyModel::StartCapture(CaptureTarget target) {
    m_target = target;
    if (target == CaptureTarget::kKeyField) {
        m_keyField.reset();
    } else if (const int index = CombinationIndex(target); index >= 0) {
        m_combination[static_cast<size_t>(index)].reset();
    }
}

bool CustomKeyModel::OnCapturedKey(int virtualKey, const std::string& name) {
    if (m_target == CaptureTarget::kKeyField) {
        if (IsModifierVirtualKey(virtualKey)) {  // modifiers are boxes for kind 2
            return false;
        }
        m_keyField = CapturedKey{virtualKey, name};
        return true;
    }
    if (const int index = CombinationIndex(m_target); index >= 0) {
        m_combination[static_cast<size_t>(index)] = CapturedKey{virtualKey, name};
        return true;
    }
    return false;
}

std::string CustomKeyModel::CaptureText(CaptureTarget target) const {
    if (target == CaptureTarget::kKeyField) {
        return m_keyField ? m_keyField->name : std::string();
    }
    const int index = CombinationIndex(target);
    if (index < 0 || !m_combination[static_cast<size_t>(index)]) {
        return {};
    }
    return m_combination[static_cast<size_t>(index)]->name;
}

CustomKeyModel::ApplyResult CustomKeyModel::Apply() {
    ApplyResult result;
    KeyAssignment record;
    const bool hasItem =
        m_selectedItem >= 0 && static_cast<size_t>(m_selectedItem) < m_items.size();
    switch (m_kind) {
        case kKindKey:
            record = KeyRecord(m_keyField ? m_keyField->virtualKey : 0,
                               m_keyField ? m_keyField->name : std::string(), m_shift, m_ctrl,
                               m_win, m_alt);
            break;
        case kKindMacro: {
            if (!hasItem) {
                return result;
            }
            const Item& item = m_items[static_cast<size_t>(m_selectedItem)];
            if (m_database.CountMacroSteps(item.value) < 1) {
                result.outcome.messageText = kTextMacroWithoutSteps;
                result.outcome.messageCaption = kTextMacroWithoutStepsTitle;
                return result;
            }
            record = MacroRecord(item.value, item.text, m_playMode, m_repeatText);
            break;
        }
        case kKindMouse:
        case kKindMedia:
        case kKindShortcut:
            if (!hasItem) {
                return result;
            }
            record = ItemRecord(m_kind, m_items[static_cast<size_t>(m_selectedItem)].value,
                                m_items[static_cast<size_t>(m_selectedItem)].text);
            break;
        case kKindRunProgram:
        case kKindOpenAddress:
        case kKindPasteText:
        case kKindSwitchProfile: {
            std::string description = m_fieldText;
            std::string parameter = m_kind == kKindRunProgram ? m_programPath : std::string();
            if (m_kind == kKindSwitchProfile) {
                if (!hasItem) {
                    return result;
                }
                description = m_items[static_cast<size_t>(m_selectedItem)].text;
                parameter = std::to_string(m_items[static_cast<size_t>(m_selectedItem)].value);
            }
            if (m_kind == kKindRunProgram && parameter.empty()) {
                return result;  // nothing chosen by browsing
            }
            const HostActionAdd added =
                AddHostActionForKey(m_database, description, parameter, m_kind);
            if (added.id < 1) {
                result.outcome.messageText = added.messageText;
                return result;
            }
            record = HostActionRecord(m_kind, added.id, description);
            break;
        }
        case kKindCombination: {
            std::array<std::optional<CombinationKey>, 3> keys;
            for (size_t i = 0; i < 3; ++i) {
                if (m_combination[i]) {
                    keys[i] = CombinationKey{m_combination[i]->virtualKey, m_combination[i]->name};
                }
            }
            record = CombinationRecord(keys);
            break;
        }
        default:
            return result;
    }
    record.profile = m_profile;
    record.fn_layer = m_layer;
    record.key_code = m_keyCode;
    m_database.SaveKeyAssignment(record);
    result.accepted = true;
    result.outcome.changed = true;
    result.outcome.commands = {kCommandWriteKeyLayer};
    return result;
}

}  // namespace zephyl
