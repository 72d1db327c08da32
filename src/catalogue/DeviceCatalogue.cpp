// SPDX-License-Identifier: GPL-2.0-or-later
#include "catalogue/DeviceCatalogue.h"

#include "platform/SettingsStore.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace zephyl {

int ParseHex(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(begin, &end, 16);
    if (end == begin || errno == ERANGE || value > 0x7FFFFFFFul) {
        return 0;
    }
    return static_cast<int>(value);
}

int SelectableDeviceType(int storedDeviceType) {
    return storedDeviceType < 100 ? kDefaultDeviceType : storedDeviceType;
}

int FindModelIndex(const std::vector<KeyboardModel>& models, int deviceType) {
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (models[i].deviceType == deviceType) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ModelToShow(const std::vector<KeyboardModel>& models, int storedDeviceType, int shownDeviceType,
                const std::vector<int>& connectedDeviceTypes, bool storedChosenNow) {
    const auto connected = [&connectedDeviceTypes](int deviceType) {
        return std::find(connectedDeviceTypes.begin(), connectedDeviceTypes.end(), deviceType) !=
               connectedDeviceTypes.end();
    };
    const KeyboardModel* firstConnected = nullptr;
    for (const KeyboardModel& model : models) {
        if (connected(model.deviceType)) {
            firstConnected = &model;
            break;
        }
    }
    const bool storedKnown =
        storedDeviceType >= 100 && FindModelIndex(models, storedDeviceType) >= 0;
    if (storedKnown && (storedChosenNow || !firstConnected || connected(storedDeviceType))) {
        return storedDeviceType;
    }
    if (!firstConnected || connected(shownDeviceType)) {
        return shownDeviceType;
    }
    return firstConnected->deviceType;
}

namespace {

void ReadKeyboards(XmlDocument& document, const std::string& pictureFolder,
                   DeviceDescriptions& result, DeviceListView* view) {
    while (document.FindElement("keyboard")) {
        KeyboardRecord record;
        record.name = document.GetAttribute("name");
        record.deviceType = ParseDecimal(document.GetAttribute("device_type"));
        record.layoutName = document.GetAttribute("device_info");
        record.connectedPicture = pictureFolder + document.GetAttribute("img_connected");
        record.disconnectedPicture = pictureFolder + document.GetAttribute("img_disconnected");
        result.models.push_back(record);
        if (view) {
            view->AddDevice(record.name, record.deviceType, record.disconnectedPicture,
                            record.connectedPicture);
        }

        document.EnterElement();
        while (document.FindElement("mode")) {
            record.mode = ParseDecimal(document.GetAttribute("value"));
            record.description = document.GetAttribute("desc");
            record.vid = ParseHex(document.GetAttribute("vid"));
            record.pid = ParseHex(document.GetAttribute("pid"));
            record.name = document.GetAttribute("product_name");
            record.interfacePattern = document.GetAttribute("hid_interface");
            result.modes.push_back(record);
            result.knownDevices.push_back(
                {record.vid, record.pid, record.name, record.deviceType, record.mode});
        }
        document.LeaveElement();
    }
}

}  // namespace

DeviceDescriptions LoadDeviceDescriptions(const std::string& resourceFolder,
                                          const std::string& skinFolder, int storedDeviceType,
                                          DeviceListView* view) {
    DeviceDescriptions result;
    result.selectedDeviceType = SelectableDeviceType(storedDeviceType);
    if (view) {
        view->ClearList();
    }

    XmlDocument document;
    if (document.Load(resourceFolder + "config.xml") && document.FindElement("config")) {
        document.EnterElement();
        if (document.FindElement("device.info")) {
            document.EnterElement();
            ReadKeyboards(document, skinFolder + "device/", result, view);
            document.LeaveElement();
        }
        if (document.FindElement("language.info")) {
            result.hasDefaultLanguage = true;
            result.defaultLanguage = ParseDecimal(document.GetAttribute("default_lan"));
        }
        if (document.FindElement("software")) {
            result.hasSoftware = true;
            result.software.version = document.GetAttribute("version");
            document.EnterElement();
            if (document.FindElement("website")) {
                result.software.websiteUrl = document.GetAttribute("url");
            }
            if (document.FindElement("store")) {
                result.software.storeUrl = document.GetAttribute("url");
            }
            if (document.FindElement("upgrade")) {
                result.software.upgradeUrl = document.GetAttribute("url");
            }
            if (document.FindElement("copyright")) {
                result.software.copyright = document.GetAttribute("info");
            }
            document.LeaveElement();
        }
    }

    // A stored model that config.xml does not declare (an edited settings file, a model dropped)
    // counts as none: its database and layout would be nobody's.
    if (FindModelIndex(result.models, result.selectedDeviceType) < 0) {
        result.selectedDeviceType = kDefaultDeviceType;
    }
    if (view) {
        view->SetSelectDevice(result.selectedDeviceType);
    }
    result.selectedIndex = FindModelIndex(result.models, result.selectedDeviceType);
    return result;
}

}  // namespace zephyl
