// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Entries of the language files' "KB.DIALOG" section that the keys and macros pages show.

namespace zephyl {

inline constexpr int kTextDefaultProfileName = 65;
inline constexpr int kTextDefaultMacroName = 331;
// Text 153 names the restore-defaults button; the refusal of an empty name has its own.
inline constexpr int kTextEmptyName = 914;
inline constexpr int kTextEmptyNameCaption = 52;
inline constexpr int kTextDisableKey = 202;
inline constexpr int kTextKeyFnLocked = 237;
inline constexpr int kTextKeyTitle = 205;
inline constexpr int kTextNoProfileSelected = 151;
inline constexpr int kTextNoProfileSelectedCaption = 152;
inline constexpr int kTextNoMacroSelected = 340;
inline constexpr int kTextNoMacroSelectedCaption = 341;
inline constexpr int kTextRecordingTitle = 360;
inline constexpr int kTextMacroMemoryFull = 361;
inline constexpr int kTextMacroMemoryAlmostFull = 362;
inline constexpr int kTextMacroWithoutSteps = 876;
inline constexpr int kTextMacroWithoutStepsTitle = 875;
inline constexpr int kTextMacroCaption = 875;

// Messages of situations the program used to pass over in silence. The language files need
// these entries.
/// The macro list already holds the 100 macros the keyboard's macro table can address.
inline constexpr int kTextTooManyMacros = 894;
/// An imported file could not be read or is not an exchange file of this kind.
inline constexpr int kTextImportUnreadable = 895;
/// Imported key items that would run a program, open an address, paste a text or switch profile
/// were left out; "%d" is their number.
inline constexpr int kTextImportActionsLeftOut = 896;
/// "%d": items of an imported file the keyboard could not take, left out.
inline constexpr int kTextImportItemsLeftOut = 915;
inline constexpr int kTextImportFileTooLarge = 916;
/// A folder, a FIFO or a device named as the file to import.
inline constexpr int kTextImportNotRegularFile = 1002;
inline constexpr int kTextImportMacroTooLong = 917;
/// Every host-action number the keyboard can report is in use by another action.
inline constexpr int kTextHostActionsExhausted = 897;

}  // namespace zephyl
