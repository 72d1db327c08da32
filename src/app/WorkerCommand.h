// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl {

/// The numbers the window posts to the worker.
enum WorkerCommand : int {
    kCommandStart = 1,
    kCommandArrival = 2,
    kCommandRemoval = 3,
    kCommandModelChosen = 4,
    kCommandLoadPages = 5,
    kCommandWriteKeyLayers = 6,
    kCommandWriteKeyLayer = 7,
    kCommandWriteMacros = 8,
    kCommandSendLightEffect = 9,
    kCommandSendSideLight = 10,
    kCommandWriteUserLight = 11,
    kCommandSendSettings = 12,
    kCommandResetKeysReceiver = 13,
    kCommandRestoreDefaults = 14,
    kCommandSaveScreenGif = 15,
    kCommandScreenLayer = 16,
    kCommandUploadScreen = 17,
    kCommandPrepareFrames = 18,
    kCommandSetClock = 20,
    kCommandScreenSlot = 21,
    kCommandDownloadInstaller = 22,
    kCommandDownloadFirmwareTool = 23,
};

/// How the queue and the worker treat a command of the numbering above; what it does comes
/// with the feature that registers its handler.
struct WorkerCommandInfo {
    int id;
    const char* name;
    bool needsReadyKeyboard;  ///< dropped unless a keyboard is connected and ready
    bool closesWaitDialog;    ///< the window waits for it with a wait dialog
    /// The handler reads everything it sends when it runs (the stored state, the current
    /// profile), so a second posting while one still waits is not queued.
    bool mergesWhenQueued;
};

// clang-format off
inline constexpr WorkerCommandInfo kWorkerCommands[] = {
    // id                             name                    ready  wait   merge
    {kCommandStart,                   "start",                false, false, false},
    {kCommandArrival,                 "keyboard arrived",     false, false, false},
    {kCommandRemoval,                 "keyboard removed",     false, false, false},
    {kCommandModelChosen,             "model chosen",         false, false, false},
    {kCommandLoadPages,               "load pages",           true,  false, false},
    {kCommandWriteKeyLayers,          "write key layers",     true,  true,  true},
    // On the receiver it writes the key selected when it runs: each request counts.
    {kCommandWriteKeyLayer,           "write key layer",      true,  false, false},
    {kCommandWriteMacros,             "write macros",         true,  true,  true},
    {kCommandSendLightEffect,         "send light effect",    true,  false, true},
    {kCommandSendSideLight,           "send side light",      true,  false, true},
    {kCommandWriteUserLight,          "write user lighting",  true,  true,  false},
    {kCommandSendSettings,            "send settings",        true,  false, true},
    {kCommandResetKeysReceiver,       "reset keys",           true,  true,  false},
    {kCommandRestoreDefaults,         "restore defaults",     true,  true,  false},
    {kCommandSaveScreenGif,           "save screen picture",  true,  false, false},
    {kCommandScreenLayer,             "screen layer",         true,  false, false},
    {kCommandUploadScreen,            "upload screen",        true,  false, false},
    {kCommandPrepareFrames,           "prepare frames",       true,  false, false},
    {kCommandSetClock,                "set clock",            true,  false, false},
    {kCommandScreenSlot,              "screen slot",          true,  false, false},
    // The window shows the download's progress in a wait dialog that only the worker knows
    // to close: when the package ran, failed or was cancelled, or the command was dropped.
    {kCommandDownloadInstaller,       "download installer",   true,  true,  false},
    {kCommandDownloadFirmwareTool,    "download firmware",    true,  true,  false},
};
// clang-format on

}  // namespace zephyl
