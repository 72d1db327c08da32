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

/// Commands after which the worker closes the open wait dialog.
constexpr bool ClosesWaitDialog(int command) {
    return command == kCommandWriteKeyLayers || command == kCommandWriteMacros ||
           command == kCommandWriteUserLight || command == kCommandResetKeysReceiver ||
           command == kCommandRestoreDefaults;
}

}  // namespace zephyl
