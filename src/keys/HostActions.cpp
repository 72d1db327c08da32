// SPDX-License-Identifier: GPL-2.0-or-later
#include "keys/HostActions.h"

#include "keys/AssignmentKinds.h"
#include "keys/KeyTexts.h"
#include "platform/Log.h"
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

namespace zephyl {
namespace {

bool HasScheme(const std::string& address) {
    return address.find("://") != std::string::npos;
}

struct StoredAction {
    std::string description;
    std::string param;
    int type = -1;  ///< −1: no such row
};

StoredAction ReadAction(ProfileDatabase& database, int id) {
    StoredAction action;
    database.GetHostAction(id, action.description, action.param, action.type);
    return action;
}

int FindIdenticalAction(ProfileDatabase& database, const std::string& description,
                        const std::string& param, int type) {
    for (int id = 1; id <= kLargestHostActionId; ++id) {
        const StoredAction action = ReadAction(database, id);
        if (action.type == type && action.description == description && action.param == param) {
            return id;
        }
    }
    return 0;
}

}  // namespace

HostActionPlan PlanHostAction(int type, const std::string& description, const std::string& param) {
    HostActionPlan plan;
    switch (type) {
        case kKindRunProgram:
            plan.kind = HostActionPlan::Kind::kRunProgram;
            plan.text = param;
            break;
        case kKindOpenAddress:
            plan.kind = HostActionPlan::Kind::kOpenAddress;
            plan.text = description;
            // "www." makes a bare host name an address; one with a scheme is complete already.
            if (!plan.text.empty() && plan.text.find("www.") == std::string::npos &&
                !HasScheme(plan.text)) {
                plan.text = "www." + plan.text;
            }
            break;
        case kKindPasteText:
            plan.kind = HostActionPlan::Kind::kPasteText;
            plan.text = description;
            break;
        case kKindSwitchProfile:
            plan.kind = HostActionPlan::Kind::kSwitchProfile;
            plan.text = description;
            plan.profile = ParseConfigNumber(param);
            break;
        default:
            break;
    }
    return plan;
}

std::string DesktopUrl(const std::string& address) {
    if (address.empty() || HasScheme(address)) {
        return address;
    }
    return "http://" + address;
}

HostActionPlan PerformHostAction(ProfileDatabase& database, int id, HostActionExecutor& executor) {
    std::string description;
    std::string param;
    int type = 0;
    database.GetHostAction(id, description, param, type);
    const HostActionPlan plan = PlanHostAction(type, description, param);
    switch (plan.kind) {
        case HostActionPlan::Kind::kRunProgram:
            executor.RunProgram(plan.text);
            break;
        case HostActionPlan::Kind::kOpenAddress:
            executor.OpenAddress(plan.text);
            break;
        case HostActionPlan::Kind::kPasteText:
            executor.PasteText(plan.text);
            break;
        case HostActionPlan::Kind::kSwitchProfile:
            executor.SwitchProfile(plan.profile);
            break;
        case HostActionPlan::Kind::kNothing:
            break;
    }
    return plan;
}

HostActionAdd AddHostActionForKey(ProfileDatabase& database, const std::string& description,
                                  const std::string& param, int type) {
    HostActionAdd result;
    if (description.empty()) {
        return result;
    }
    // Rows are never deleted and ids never reused, so once the last reportable id exists every
    // new row would get an id the keyboard cannot report.
    const bool exhausted = ReadAction(database, kLargestHostActionId).type != -1;
    if (!exhausted) {
        const int id = database.AddHostAction(description, param, type);
        if (id >= 1 && id <= kLargestHostActionId) {
            result.id = id;
            return result;
        }
        if (id < 1) {
            return result;
        }
        // A database with gaps in its ids: the new row is out of reach and stays unused.
        Log(kLogWarning, "host action %d is beyond the ids the keyboard reports", id);
    }
    result.id = FindIdenticalAction(database, description, param, type);
    result.reused = result.id != 0;
    if (result.id == 0) {
        result.messageText = kTextHostActionsExhausted;
    }
    return result;
}

}  // namespace zephyl
