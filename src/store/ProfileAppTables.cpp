// SPDX-License-Identifier: GPL-2.0-or-later
// The programs a profile is bound to (t_profile_data.app).
#include "store/ProfileDatabase.h"

#include "store/ProfileDatabaseAccess.h"

namespace zephyl {

bool ProfileDatabase::SetProfileApp(int id, const std::string& app) {
    return Run("UPDATE t_profile_data SET app = ? WHERE profile = ?", app, id);
}

}  // namespace zephyl
