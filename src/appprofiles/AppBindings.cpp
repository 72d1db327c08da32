// SPDX-License-Identifier: GPL-2.0-or-later
#include "appprofiles/AppBindings.h"

#include "store/ProfileDatabase.h"

#include <algorithm>
#include <cctype>

namespace zephyl {
namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

const ProfileBinding* Find(const std::vector<ProfileBinding>& bindings, int profile) {
    const auto found = std::find_if(bindings.begin(), bindings.end(),
                                    [profile](const auto& b) { return b.profile == profile; });
    return found == bindings.end() ? nullptr : &*found;
}

bool Holds(const std::vector<std::string>& programs, const std::string& program) {
    return std::any_of(programs.begin(), programs.end(),
                       [&](const std::string& p) { return SameProgram(p, program); });
}

std::vector<std::string> Without(const std::vector<std::string>& programs,
                                 const std::string& program) {
    std::vector<std::string> kept;
    for (const std::string& p : programs) {
        if (!SameProgram(p, program)) {
            kept.push_back(p);
        }
    }
    return kept;
}

}  // namespace

std::vector<std::string> ParsePrograms(const std::string& column) {
    std::vector<std::string> programs;
    size_t start = 0;
    while (start <= column.size()) {
        size_t end = column.find(kProgramSeparator, start);
        if (end == std::string::npos) {
            end = column.size();
        }
        if (end > start) {
            programs.push_back(column.substr(start, end - start));
        }
        start = end + 1;
    }
    return programs;
}

std::string JoinPrograms(const std::vector<std::string>& programs) {
    std::string column;
    for (const std::string& program : programs) {
        if (!column.empty()) {
            column += kProgramSeparator;
        }
        column += program;
    }
    return column;
}

bool ValidProgramName(const std::string& program) {
    if (program.empty() || program.size() > kMaxProgramName || program.front() == ' ' ||
        program.back() == ' ') {
        return false;
    }
    return std::none_of(program.begin(), program.end(), [](char c) {
        return c == kProgramSeparator || (static_cast<unsigned char>(c) < 0x20) || c == 0x7F;
    });
}

bool SameProgram(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::vector<ProfileBinding> ReadBindings(ProfileDatabase& database) {
    std::vector<Profile> profiles;
    database.ListProfiles(profiles);
    std::vector<ProfileBinding> bindings;
    for (const Profile& profile : profiles) {
        bindings.push_back({profile.profile, profile.name, ParsePrograms(profile.app)});
    }
    return bindings;
}

BindingChange BindProgram(ProfileDatabase& database, int profile, const std::string& program) {
    if (!ValidProgramName(program)) {
        return BindingChange::kBadName;
    }
    ProfileDatabase::Batch batch(database);
    const std::vector<ProfileBinding> bindings = ReadBindings(database);
    const ProfileBinding* target = Find(bindings, profile);
    if (!target) {
        return BindingChange::kNoProfile;
    }
    if (Holds(target->programs, program)) {
        return BindingChange::kUnchanged;
    }
    for (const ProfileBinding& other : bindings) {
        if (other.profile != profile && Holds(other.programs, program) &&
            !database.SetProfileApp(other.profile,
                                    JoinPrograms(Without(other.programs, program)))) {
            return BindingChange::kStoreFailed;
        }
    }
    std::vector<std::string> programs = target->programs;
    programs.push_back(program);
    if (!database.SetProfileApp(profile, JoinPrograms(programs)) || !batch.Commit()) {
        return BindingChange::kStoreFailed;
    }
    return BindingChange::kDone;
}

BindingChange UnbindProgram(ProfileDatabase& database, int profile, const std::string& program) {
    const std::vector<ProfileBinding> bindings = ReadBindings(database);
    const ProfileBinding* target = Find(bindings, profile);
    if (!target) {
        return BindingChange::kNoProfile;
    }
    const std::vector<std::string> kept =
        program.empty() ? std::vector<std::string>() : Without(target->programs, program);
    if (kept.size() == target->programs.size()) {
        return BindingChange::kUnchanged;
    }
    return database.SetProfileApp(profile, JoinPrograms(kept)) ? BindingChange::kDone
                                                               : BindingChange::kStoreFailed;
}

}  // namespace zephyl
