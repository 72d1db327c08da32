// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target for the exchange files: any bytes are imported as a key file, a macro file, a
// custom-lighting set and a user-lighting set into a fresh profile database, which must then
// hold only what a keyboard can take. Build with clang (see tools/soak.sh):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I src fuzz/import_fuzz.cpp \
//       <the keys, store, xml, text, platform, catalogue and protocol sources, and
//        src/lighting/{CustomLightExchange,UserLight}.cpp> -lsqlite3
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "keys/ImportChecks.h"
#include "keys/KeyExchange.h"
#include "keys/MacroExchange.h"
#include "lighting/CustomLightExchange.h"
#include "lighting/UserLight.h"
#include "store/ProfileDatabase.h"

namespace {

/// The keys a set file may bring, as for a keyboard of this many keys.
constexpr int kLayoutKeys = 104;

const std::string& Folder() {
    static const std::string folder = "/tmp/zephyl_import_fuzz_" + std::to_string(getpid()) + "/";
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zephyl::ProfileDatabase database;
    static const bool opened = [] {
        std::system(("mkdir -p '" + Folder() + "db'").c_str());
        return database.OpenModelDatabase(Folder(), "Fuzz");
    }();
    if (!opened) {
        std::abort();
    }
    const std::string path = Folder() + "input.xml";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const zephyl::KeyImport keys = zephyl::ImportProfileKeys(database, path);
    const zephyl::MacroImport macro = zephyl::ImportMacro(database, path);
    std::vector<zephyl::Macro> macros;
    database.ListMacros(macros);
    std::vector<int> macroIds;
    for (const auto& m : macros) {
        macroIds.push_back(m.macro_id);
    }
    for (int layer = 0; layer < 2 && keys.profileId > 0; ++layer) {
        std::vector<zephyl::KeyAssignment> stored;
        database.ListKeyAssignments(keys.profileId, layer, stored);
        for (const auto& assignment : stored) {
            if (!zephyl::KeyAssignmentEncodable(assignment, macroIds)) {
                std::abort();  // something no keyboard can take was stored
            }
        }
    }
    if (macro.macroId > 0) {
        std::vector<zephyl::MacroStep> steps;
        database.ListMacroSteps(macro.macroId, steps);
        if (static_cast<int>(steps.size()) > zephyl::kMostImportedMacroSteps) {
            std::abort();
        }
    }
    const zephyl::CustomLightImport custom = zephyl::ImportCustomLight(database, path, kLayoutKeys);
    if (custom.setId > 0) {
        std::vector<zephyl::CustomLightKey> rows;
        database.ListCustomLightKeys(custom.setId, rows);
        if (static_cast<int>(rows.size()) > kLayoutKeys) {
            std::abort();
        }
        database.DeleteCustomLight(custom.setId);
    }
    const zephyl::UserLightImport user = zephyl::ImportUserLight(database, path, kLayoutKeys);
    if (user.id > 0) {
        std::vector<zephyl::UserLightKey> rows;
        database.ListUserLightKeys(user.id, rows);
        if (static_cast<int>(rows.size()) > kLayoutKeys) {
            std::abort();
        }
        zephyl::DeleteUserLightSet(database, user.id);
    }
    // Keep the database small: what one input added goes again.
    if (keys.profileId > 0) {
        database.DeleteProfile(keys.profileId);
    }
    if (macro.macroId > 0) {
        database.DeleteMacro(macro.macroId);
    }
    return 0;
}
