// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/ProfilesCli.h"

#include "app/KeyboardController.h"
#include "appprofiles/AppBindings.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "store/ProfileDatabase.h"

#include <ostream>

namespace zephyl::cli {

std::map<int, std::vector<std::string>> ProfilePrograms(ProfileDatabase& database) {
    std::map<int, std::vector<std::string>> programs;
    for (const ProfileBinding& binding : ReadBindings(database)) {
        programs[binding.profile] = binding.programs;
    }
    return programs;
}

int RunProfileBindings(const Invocation& invocation, KeyboardController& controller,
                       std::ostream& /*out*/, std::ostream& err) {
    const auto& words = invocation.words;
    const bool bind = words.size() > 1 && words[1] == "bind";
    if ((bind && words.size() != 4) || (!bind && (words.size() < 3 || words.size() > 4))) {
        err << "zephylctl: usage: zephylctl profiles bind ID PROGRAM | unbind ID [PROGRAM]\n";
        return kExitUsage;
    }
    const auto id = ParseWholeNumber(words[2], 1, 1000000000);
    const std::string program = words.size() == 4 ? words[3] : std::string();
    if (!program.empty() && !ValidProgramName(program)) {
        err << "zephylctl: not a program name: \"" << Printable(program)
            << "\" (no '/', control characters or surrounding blanks)\n";
        return kExitUsage;
    }
    ProfileDatabase& database = controller.Database();
    const BindingChange change = !id    ? BindingChange::kNoProfile
                                 : bind ? BindProgram(database, *id, program)
                                        : UnbindProgram(database, *id, program);
    switch (change) {
        case BindingChange::kDone:
            return kExitOk;
        case BindingChange::kUnchanged:
            if (bind) {
                return kExitOk;  // already bound: what was asked for holds
            }
            err << "zephylctl: profile " << *id << " is not bound to "
                << (program.empty() ? std::string("any program") : Printable(program)) << "\n";
            return kExitFailed;
        case BindingChange::kNoProfile:
            err << "zephylctl: no profile " << Printable(words[2])
                << " (zephylctl profiles lists them)\n";
            return kExitUsage;
        case BindingChange::kBadName:
            err << "zephylctl: not a program name: \"" << Printable(program) << "\"\n";
            return kExitUsage;
        case BindingChange::kStoreFailed:
            break;
    }
    err << "zephylctl: the binding could not be stored\n";
    return kExitFailed;
}

}  // namespace zephyl::cli
