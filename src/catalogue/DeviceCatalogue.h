// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zephyl {

/// ConnectionMode values.
enum ConnectionMode : int {
    kModeNone = -1,
    kModeCable = 0,
    kModeBluetooth = 1,
    kModeReceiver = 2,
};

/// The model id used when none (or one below 100) is stored.
inline constexpr int kDefaultDeviceType = 101;

/// One record type serves the model list and the mode list. A mode record keeps its model's
/// device type, layout name and pictures, so code holding only a mode can open the right layout.
struct KeyboardRecord {
    std::string name;        ///< model: `name`; mode: `product_name` (empty = any product)
    int deviceType = 0;      ///< model id
    std::string layoutName;  ///< `device_info`: base name of the layout file
    int mode = 0;            ///< mode: ConnectionMode; model: 0
    int vid = 0;
    int pid = 0;
    std::string description;  ///< mode: `desc`, kept and shown nowhere
    std::string reserved;
    std::string interfacePattern;  ///< mode: `hid_interface`, matched in upper-cased paths
    std::string connectedPicture;
    std::string disconnectedPicture;
    int connected = 0;  ///< mode: 1 while an opened interface matches it
    int spare = -1;
};
using KeyboardModel = KeyboardRecord;
using KeyboardMode = KeyboardRecord;

/// A row of the device manager's table of keyboards it may open.
struct KnownDevice {
    int vid = 0;
    int pid = 0;
    std::string productName;  ///< empty matches any product string
    int deviceType = 0;
    int mode = 0;
};

/// The `software` values read when the main window initialises.
struct SoftwareInfo {
    std::string version;
    std::string websiteUrl;
    std::string storeUrl;
    std::string upgradeUrl;
    std::string copyright;
};

/// What the model list control of the window offers; the window implements it.
class DeviceListView {
public:
    virtual ~DeviceListView() = default;
    virtual void ClearList() = 0;
    virtual void AddDevice(const std::string& name, int deviceType,
                           const std::string& disconnectedPicture,
                           const std::string& connectedPicture) = 0;
    virtual void SetSelectDevice(int deviceType) = 0;
};

/// Everything `device.info`, `language.info` and `software` declare.
struct DeviceDescriptions {
    std::vector<KeyboardModel> models;  ///< document order = order of the device list
    std::vector<KeyboardMode> modes;    ///< every mode of every model, document order
    std::vector<KnownDevice> knownDevices;
    bool hasDefaultLanguage = false;
    int defaultLanguage = 2052;  ///< `default_lan`; 2052 when absent
    bool hasSoftware = false;
    SoftwareInfo software;
    int selectedDeviceType = kDefaultDeviceType;
    int selectedIndex = -1;  ///< position of the selected model, -1 when not declared
};

/// Reads config.xml ("<resource folder>config.xml") and builds both lists and the known-device
/// rows. `storedDeviceType` is the last selected model id (0 when none). Pictures are given
/// below "<skin folder>device/". The view, when given, is cleared, filled and told the selection.
DeviceDescriptions LoadDeviceDescriptions(const std::string& resourceFolder,
                                          const std::string& skinFolder, int storedDeviceType,
                                          DeviceListView* view = nullptr);

/// Model id to select from the stored one: ids below 100 count as unset.
int SelectableDeviceType(int storedDeviceType);

/// Index of the first model with this id, or -1.
int FindModelIndex(const std::vector<KeyboardModel>& models, int deviceType);

/// The model to show after the keyboards were looked for. The stored model (when it is one of
/// `models`) stays when a keyboard of it is plugged in, when no keyboard of `models` is, or when
/// the user has just chosen it in the model list (`storedChosenNow`); otherwise a plugged-in
/// keyboard wins: the model shown now when it is plugged in, else the first plugged-in model of
/// `models`. A start thus opens on the keyboard that is there, not on a remembered one that is
/// not, while a model the user picks is shown even when it is not plugged in.
int ModelToShow(const std::vector<KeyboardModel>& models, int storedDeviceType, int shownDeviceType,
                const std::vector<int>& connectedDeviceTypes, bool storedChosenNow = false);

/// Reads hexadecimal text without prefix as `vid`/`pid` are written; 0 when not a number.
int ParseHex(const std::string& text);

}  // namespace zephyl
