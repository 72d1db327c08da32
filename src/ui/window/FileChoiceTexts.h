// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace zephyl::window {

/// Titles of the file and folder choosers: each says what the user is choosing.
enum FileChoiceText : int {
    kChooseKeysToImport = 1081,
    kChooseKeysExportFolder = 1082,
    kChooseMacroToImport = 1083,
    kChooseMacroSaveName = 1084,
    kChooseLightingToImport = 1085,
    kChooseLightingExportFolder = 1086,
    kChooseLightingSaveName = 1087,
    kChoosePicturesToAdd = 1088,
    kChooseGifToImport = 1089,
    kChooseGifSaveName = 1090,
};

}  // namespace zephyl::window
