// SPDX-License-Identifier: GPL-2.0-or-later
#include "text/CurrentLanguage.h"

#include <atomic>
#include <mutex>

namespace zephyl {
namespace {

std::mutex g_languageSetMutex;
std::set<int> g_languageSet;
std::atomic<int> g_languageId{kEnglishLanguageId};

}  // namespace

int CurrentLanguageId() {
    return g_languageId.load();
}

void SetCurrentLanguageId(int languageId) {
    g_languageId.store(languageId);
}

std::set<int> LanguageSet() {
    std::lock_guard lock(g_languageSetMutex);
    return g_languageSet;
}

void SetLanguageSet(const std::set<int>& languages) {
    std::lock_guard lock(g_languageSetMutex);
    g_languageSet = languages;
}

}  // namespace zephyl
