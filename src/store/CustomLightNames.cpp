// SPDX-License-Identifier: GPL-2.0-or-later
// The name of a custom lighting set, changed in place in the set list.
#include "store/ProfileDatabase.h"

#include "store/ProfileDatabaseAccess.h"

namespace zephyl {

bool ProfileDatabase::RenameCustomLight(int id, const std::string& name) {
    return Run("UPDATE t_customlight_data SET name = ? WHERE customlight_id = ?", name, id);
}

}  // namespace zephyl
