// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>

namespace zephyl {

/// Folder of the running binary, with a trailing '/'.
std::string ExecutableFolder();

/// Where config.xml, layouts/, language/, skins/, gif/ and firmware/ live, with a trailing '/':
/// $ZEPHYL_RESOURCE_DIR when set, else the binary's folder when it holds config.xml (the build
/// tree), else the share folder beside the binary's bin folder when it holds config.xml (an
/// installed tree, wherever it was put), else the share folder of the configured prefix.
std::string ResourceFolder();

/// $XDG_DATA_HOME, or ~/.local/share.
std::string UserDataHome();

/// $XDG_CONFIG_HOME, or ~/.config.
std::string UserConfigHome();

/// $XDG_RUNTIME_DIR when it is a usable folder, else an empty string.
std::string UserRuntimeDir();

/// A software name made safe to be one component of a file name: '/', NUL and control
/// characters become '_', and a leading '.' becomes '_', so the name never leaves its folder.
std::string SafeFileComponent(const std::string& name);

/// Appends '/' unless the path already ends with one.
std::string WithTrailingSlash(std::string path);

}  // namespace zephyl
