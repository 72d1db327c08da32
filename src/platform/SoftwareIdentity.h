// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// Used when config.xml names no software.
inline constexpr const char* kDefaultSoftwareName = "Zephyl Keyboard Driver";

/// The software name of this run (config.xml's `software/@name`), which names the user's data
/// and settings folders; set at start-up, read everywhere afterwards, thread-safe.
std::string SoftwareName();
void SetSoftwareName(const std::string& name);

/// Theme of the skin, the sub-folder of skins/.
std::string Theme();

/// "<resource folder>skins/<theme>/".
std::string SkinFolder();

}  // namespace zephyl
