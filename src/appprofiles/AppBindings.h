// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zephyl {

class ProfileDatabase;

/// A profile's app column holds the programs it is bound to, separated by '/': no executable's
/// file name (and so no process name the system gives a program) can hold one, and window
/// classes in practice never do. A name is matched without regard to case.
inline constexpr char kProgramSeparator = '/';
/// The longest program name kept; window classes and process names are far shorter.
inline constexpr size_t kMaxProgramName = 255;

/// The names of a stored app column, without empty pieces.
std::vector<std::string> ParsePrograms(const std::string& column);
std::string JoinPrograms(const std::vector<std::string>& programs);
/// Not empty, not too long, without the separator, control characters or surrounding spaces.
bool ValidProgramName(const std::string& program);
bool SameProgram(const std::string& a, const std::string& b);

struct ProfileBinding {
    int profile = 0;
    std::string name;  ///< the profile's stored name
    std::vector<std::string> programs;
};

/// Every profile with its programs, in id order; profiles without programs included.
std::vector<ProfileBinding> ReadBindings(ProfileDatabase& database);

enum class BindingChange { kDone, kUnchanged, kNoProfile, kBadName, kStoreFailed };

/// Binds `program` to `profile`. A program follows one profile only: binding it here takes it
/// from any other profile. kUnchanged when the profile already had it.
BindingChange BindProgram(ProfileDatabase& database, int profile, const std::string& program);
/// Takes `program` from `profile`, or every program when `program` is empty. kUnchanged when
/// the profile did not have it.
BindingChange UnbindProgram(ProfileDatabase& database, int profile, const std::string& program);

}  // namespace zephyl
