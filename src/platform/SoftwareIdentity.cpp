// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/SoftwareIdentity.h"

#include "platform/Paths.h"

#include <mutex>

namespace zephyl {
namespace {

std::mutex g_softwareNameMutex;
std::string g_softwareName = kDefaultSoftwareName;

}  // namespace

std::string SoftwareName() {
    std::lock_guard lock(g_softwareNameMutex);
    return g_softwareName;
}

void SetSoftwareName(const std::string& name) {
    std::lock_guard lock(g_softwareNameMutex);
    g_softwareName = name;
}

std::string Theme() {
    return "default";
}

std::string SkinFolder() {
    return ResourceFolder() + "skins/" + Theme() + "/";
}

}  // namespace zephyl
