// SPDX-License-Identifier: GPL-2.0-or-later
#include "lighting/CustomLightExchange.h"

#include "lighting/CustomLightEffects.h"
#include "lighting/CustomLightSets.h"
#include "platform/Paths.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <vector>

namespace zephyl {
namespace {

constexpr std::string_view kXmlExtension = ".xml";

int Number(const XmlDocument& document, const char* name) {
    return ParseConfigNumber(document.GetAttribute(name));
}

void FillDocument(XmlDocument& document, const std::string& shownName, int speed,
                  std::span<const CustomLightKey> rows) {
    document.SetText(XmlDocument::kDeclaration);
    document.AddElement("customlight");
    document.EnterElement();
    document.AddElement("lightinfo");
    document.SetAttribute("name", shownName);
    document.SetAttribute("speed", speed);
    document.AddElement("keyinfo");
    document.EnterElement();
    for (const CustomLightKey& row : rows) {
        document.AddElement("item");
        document.SetAttribute("keycode", row.keycode);
        document.SetAttribute("lightmode", row.light_mode);
        document.SetAttribute("rgbvalue", row.rgbvalue);
        document.SetAttribute("type", row.light_type);
    }
}

}  // namespace

std::string CustomLightDocument(const std::string& shownName, int speed,
                                std::span<const CustomLightKey> rows) {
    XmlDocument document;
    FillDocument(document, shownName, speed, rows);
    return document.TextUtf8();
}

std::string CustomLightFileName(const std::string& shownName) {
    return SafeFileComponent(shownName) + std::string(kXmlExtension);
}

std::string WithXmlExtension(const std::string& path) {
    if (path.size() >= kXmlExtension.size() &&
        path.compare(path.size() - kXmlExtension.size(), kXmlExtension.size(), kXmlExtension) ==
            0) {
        return path;
    }
    return path + std::string(kXmlExtension);
}

std::string ExportCustomLight(ProfileDatabase& database, int id, const std::string& shownName,
                              const std::string& path) {
    int speed = kExportDefaultSpeed;
    database.GetCustomLightSpeed(id, speed);
    std::vector<CustomLightKey> rows;
    database.ListCustomLightKeys(id, rows);
    XmlDocument document;
    FillDocument(document, shownName, speed, rows);
    const std::string target = WithXmlExtension(path);
    return document.Save(target) ? target : std::string();
}

CustomLightImport ImportCustomLight(ProfileDatabase& database, const std::string& path,
                                    int mostKeys) {
    CustomLightImport result;
    if (const int problem = SetFileProblem(path); problem != 0) {
        result.messageText = problem;
        return result;
    }
    XmlDocument document;
    if (!document.Load(path) || !document.FindElement("customlight")) {
        result.messageText = kTextFileUnreadable;
        return result;
    }
    result.read = true;
    document.EnterElement();
    if (document.FindElement("lightinfo")) {
        result.name = document.GetAttribute("name");
        result.speed = Number(document, "speed");
    }
    result.speed = std::clamp(result.speed, 0, kCustomLightMaxSpeed);
    // The rows are read before the set is added, so a file with more keys than the keyboard
    // has leaves nothing behind.
    std::vector<CustomLightKey> rows;
    if (document.FindElement("keyinfo")) {
        document.EnterElement();
        while (document.FindElement("item")) {
            if (static_cast<int>(rows.size()) >= mostKeys) {
                result.messageText = kTextSetFileTooManyKeys;
                result.messageCount = mostKeys;
                return result;
            }
            CustomLightKey row;
            row.keycode = Number(document, "keycode");
            row.light_mode = Number(document, "lightmode");
            row.rgbvalue = Number(document, "rgbvalue");
            row.light_type = Number(document, "type");
            row.colortype = 1;
            rows.push_back(row);
        }
        document.LeaveElement();
    }
    result.setId = database.AddCustomLight(kSettingsProfile, result.name);
    if (result.setId <= 0) {
        result.setId = 0;
        return result;
    }
    database.SetCustomLightSpeed(result.setId, result.speed);
    for (CustomLightKey& row : rows) {
        row.customlight_id = result.setId;
        if (database.SaveCustomLightKey(row) > 0) {
            ++result.keys;
        }
    }
    return result;
}

}  // namespace zephyl
