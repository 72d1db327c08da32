// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/KeyExchange.h"

#include "keys/ImportChecks.h"

#include "keys/AssignmentKinds.h"
#include "keys/KeyTexts.h"
#include "platform/Paths.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "xml/XmlDocument.h"

#include <vector>

namespace zephyl {
namespace {

int Number(const XmlDocument& document, const char* name) {
    return ParseConfigNumber(document.GetAttribute(name));
}

void FillProfileKeysDocument(XmlDocument& document, const std::string& profileName,
                             std::span<const KeyAssignment> assignments) {
    document.SetText(XmlDocument::kDeclaration);
    document.AddElement("profile");
    document.EnterElement();
    document.AddElement("profileinfo");
    document.SetAttribute("name", profileName);
    document.AddElement("keyitems");
    document.EnterElement();
    for (const KeyAssignment& item : assignments) {
        document.AddElement("item");
        document.SetAttribute("fn_layer", item.fn_layer);
        document.SetAttribute("key_code", item.key_code);
        document.SetAttribute("layout_value", item.layout_value);
        document.SetAttribute("layout_desc", item.layout_desc);
        document.SetAttribute("macro_type", item.macro_type);
        document.SetAttribute("macro_value", item.macro_value);
        document.SetAttribute("macro_value2", item.macro_value2);
        document.SetAttribute("macro_value3", item.macro_value3);
        document.SetAttribute("macro_desc", item.macro_desc);
    }
}

}  // namespace

std::string ProfileKeysDocument(const std::string& profileName,
                                std::span<const KeyAssignment> assignments) {
    XmlDocument document;
    FillProfileKeysDocument(document, profileName, assignments);
    return document.TextUtf8();
}

std::string ProfileKeysFileName(const std::string& folder, const std::string& profileName,
                                std::uint64_t tick) {
    // A file name holds at most 255 bytes: a long profile name is cut (at a character's start),
    // leaving room for the tick count and the extension.
    constexpr std::size_t kLongestNamePart = 200;
    std::string name = SafeFileComponent(profileName);
    if (name.size() > kLongestNamePart) {
        std::size_t cut = kLongestNamePart;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    return WithTrailingSlash(folder) + name + "-" + std::to_string(tick) + ".xml";
}

std::string ExportProfileKeys(ProfileDatabase& database, int profile, const std::string& shownName,
                              const std::string& folder, std::uint64_t tick) {
    // Both layers: each item names its layer, and the import reads it back.
    std::vector<KeyAssignment> assignments;
    database.ListKeyAssignments(profile, 0, assignments);
    std::vector<KeyAssignment> fnLayer;
    database.ListKeyAssignments(profile, 1, fnLayer);
    assignments.insert(assignments.end(), fnLayer.begin(), fnLayer.end());
    XmlDocument document;
    FillProfileKeysDocument(document, shownName, assignments);
    const std::string path = ProfileKeysFileName(folder, shownName, tick);
    return document.Save(path) ? path : std::string();
}

KeyImport ImportProfileKeys(ProfileDatabase& database, const std::string& path) {
    KeyImport result;
    if (const int problem = ExchangeFileProblem(path); problem != 0) {
        result.messageText = problem;
        return result;
    }
    XmlDocument document;
    if (!document.Load(path) || !document.FindElement("profile")) {
        result.messageText = kTextImportUnreadable;
        return result;
    }
    document.EnterElement();
    if (document.FindElement("profileinfo")) {
        result.name = document.GetAttribute("name");
    }
    if (!IsValidUtf8(result.name)) {
        result.messageText = kTextImportUnreadable;
        return result;
    }
    result.read = true;
    std::vector<Macro> macros;
    database.ListMacros(macros);
    std::vector<int> macroIds;
    for (const Macro& macro : macros) {
        macroIds.push_back(macro.macro_id);
    }
    int refused = 0;
    // The whole file or nothing: a profile with part of its keys would be written as it is.
    ProfileDatabase::Batch batch(database);
    result.profileId = database.AddProfile(result.name, "");
    if (result.profileId > 0 && document.FindElement("keyitems")) {
        document.EnterElement();
        while (document.FindElement("item")) {
            KeyAssignment item;
            item.profile = result.profileId;
            item.fn_layer = Number(document, "fn_layer");
            item.key_code = Number(document, "key_code");
            item.layout_value = Number(document, "layout_value");
            item.layout_desc = document.GetAttribute("layout_desc");
            item.macro_type = Number(document, "macro_type");
            item.macro_value = Number(document, "macro_value");
            item.macro_value2 = Number(document, "macro_value2");
            item.macro_value3 = Number(document, "macro_value3");
            item.macro_desc = document.GetAttribute("macro_desc");
            if (IsHostActionKind(item.macro_type)) {
                ++result.leftOut;
                continue;
            }
            if (!KeyAssignmentEncodable(item, macroIds) || !IsValidUtf8(item.macro_desc) ||
                !IsValidUtf8(item.layout_desc)) {
                ++refused;
                continue;
            }
            if (database.SaveKeyAssignment(item) > 0) {
                ++result.stored;
            }
        }
        document.LeaveElement();
    }
    if (result.profileId <= 0 || !batch.Commit()) {
        result.profileId = 0;
        result.stored = 0;
        result.messageText = kTextImportUnreadable;
        return result;
    }
    if (result.leftOut > 0) {
        result.messageText = kTextImportActionsLeftOut;
    } else if (refused > 0) {
        result.leftOut = refused;
        result.messageText = kTextImportItemsLeftOut;
    }
    return result;
}

}  // namespace zephyl
