// SPDX-License-Identifier: GPL-2.0-or-later
// Starting the program with the desktop session: an XDG autostart entry.
//
//   AutostartFilePath()      $XDG_CONFIG_HOME/autostart/<software name>.desktop
//   AutostartProgram()       the resource folder + "zephyl-keyboard-driver", whatever the
//                            running file is called
//   AutostartEntry(name, program)   the entry's text
//   SetAutostart(enable)     writes or removes the entry; false when that failed
//   IsAutostart()            the entry exists (what the settings page's check box shows)
#pragma once

#include <string>

namespace zephyl {

inline constexpr const char* kProgramFileName = "zephyl-keyboard-driver";

std::string AutostartFilePath();
std::string AutostartProgram();
std::string AutostartEntry(const std::string& softwareName, const std::string& program);
bool SetAutostart(bool enable);
bool IsAutostart();

/// `argument` as one argument of a desktop entry's Exec line: quoted when it holds anything
/// the line would otherwise read differently, '%' doubled.
std::string DesktopExecArgument(const std::string& argument);

}  // namespace zephyl
