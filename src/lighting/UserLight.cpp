// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/UserLight.h"

#include "platform/Paths.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "text/DefaultNames.h"
#include "xml/XmlDocument.h"

namespace zephyl {

std::string UserLightDisplayName(const std::string& storedName) {
    return LocalizedDefaultName(storedName, DefaultNameList::kUserLighting);
}

std::string NewUserLightName(int entries) {
    return NewDefaultName(DefaultNameList::kUserLighting, entries + 1);
}

bool DeleteUserLightSet(ProfileDatabase& database, int id) {
    if (!database.DeleteUserLight(id)) {
        return false;
    }
    // Nothing reads the rows of a removed set again; left behind they would only grow the file.
    database.DeleteUserLightKeys(id);
    return true;
}

void StoreUserLightKeys(ProfileDatabase& database, int id, const KeyColourList& keys) {
    database.DeleteUserLightKeys(id);
    std::vector<UserLightKey> rows;
    rows.reserve(keys.size());
    for (const auto& [code, colour] : keys) {
        UserLightKey row;
        row.profile = kSettingsProfile;
        row.userlight_id = id;
        row.key_code = code;
        row.key_rgb = static_cast<int>(colour);
        rows.push_back(row);
    }
    database.AddUserLightKeys(rows);
}

std::vector<KeyColour> UserLightColours(ProfileDatabase& database, int id) {
    std::vector<UserLightKey> rows;
    database.ListUserLightKeys(id, rows);
    std::vector<KeyColour> keys;
    keys.reserve(rows.size());
    for (const UserLightKey& row : rows) {
        keys.push_back({row.key_code, row.key_rgb});
    }
    return keys;
}

std::string UserLightFileName(const std::string& folder, const std::string& shownName,
                              std::uint64_t tick) {
    return WithTrailingSlash(folder) + SafeFileComponent(shownName) + "-" + std::to_string(tick) +
           ".xml";
}

bool SaveUserLight(ProfileDatabase& database, int id, const std::string& shownName,
                   const std::string& path) {
    std::vector<UserLightKey> rows;
    database.ListUserLightKeys(id, rows);
    XmlDocument document;
    document.SetText(XmlDocument::kDeclaration);
    document.AddElement("userlight");
    document.EnterElement();
    document.AddElement("lightinfo");
    document.SetAttribute("name", shownName);
    document.AddElement("keyinfo");
    document.EnterElement();
    for (const UserLightKey& row : rows) {
        document.AddElement("item");
        document.SetAttribute("key_code", row.key_code);
        document.SetAttribute("key_rgb", row.key_rgb);
    }
    return document.Save(path);
}

std::string ExportUserLight(ProfileDatabase& database, int id, const std::string& shownName,
                            const std::string& folder, std::uint64_t tick) {
    const std::string path = UserLightFileName(folder, shownName, tick);
    return SaveUserLight(database, id, shownName, path) ? path : std::string();
}

UserLightImport ImportUserLight(ProfileDatabase& database, const std::string& path, int mostKeys) {
    UserLightImport result;
    if (const int problem = SetFileProblem(path); problem != 0) {
        result.messageText = problem;
        return result;
    }
    XmlDocument document;
    if (!document.Load(path) || !document.FindElement("userlight")) {
        return result;
    }
    result.read = true;
    document.EnterElement();
    if (document.FindElement("lightinfo")) {
        result.name = document.GetAttribute("name");
    }
    // The rows are read before the set is added, so a file with more keys than the keyboard
    // has leaves nothing behind.
    std::vector<UserLightKey> rows;
    if (document.FindElement("keyinfo")) {
        document.EnterElement();
        while (document.FindElement("item")) {
            if (static_cast<int>(rows.size()) >= mostKeys) {
                result.messageText = kTextSetFileTooManyKeys;
                result.messageCount = mostKeys;
                return result;
            }
            UserLightKey row;
            row.profile = kSettingsProfile;
            row.key_code = ParseConfigNumber(document.GetAttribute("key_code"));
            row.key_rgb = ParseConfigNumber(document.GetAttribute("key_rgb"));
            rows.push_back(row);
        }
    }
    result.id = database.AddUserLight(kSettingsProfile, result.name);
    if (result.id <= 0) {
        result.id = 0;
        return result;
    }
    for (UserLightKey& row : rows) {
        row.userlight_id = result.id;
    }
    database.AddUserLightKeys(rows);
    return result;
}

}  // namespace zephyl
