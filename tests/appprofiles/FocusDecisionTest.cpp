// SPDX-License-Identifier: GPL-2.0-or-later
// Which profile a focused program makes current, and how a burst of focus changes settles.
#include "appprofiles/FocusDecision.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zephyl {
namespace {

constexpr int kUserProfile = 1;

/// Profile 2 follows Firefox, 3 the GIMP; profile 1, the user's own, follows kitty.
std::vector<ProfileBinding> Bindings() {
    return {{1, "Mine", {"kitty"}}, {2, "Web", {"firefox"}}, {3, "Paint", {"gimp-2.10", "Gimp"}}};
}

FocusedProgram Program(const std::string& name) {
    if (name == "firefox") {
        return {"Navigator", "firefox", "firefox-bin"};
    }
    if (name == "gimp") {
        return {"gimp", "Gimp-2.10", "gimp-2.10"};
    }
    if (name.empty()) {
        return {};  // the root: no window has the focus
    }
    return {name, name, name};
}

struct FocusChange {
    std::int64_t atMs;
    std::string program;
};

/// Runs focus changes through the debounce and the decision as the follower does, and returns
/// the profiles written in order.
std::vector<int> Writes(const std::vector<FocusChange>& changes) {
    FocusDebounce debounce(300);
    const auto bindings = Bindings();
    int current = kUserProfile;
    int following = 0;
    std::vector<int> written;
    auto settle = [&](std::int64_t now) {
        if (auto program = debounce.Settled(now)) {
            const SwitchDecision decision =
                DecideSwitch(BoundProfile(bindings, *program), following, kUserProfile, current);
            following = decision.following;
            if (decision.makeCurrent != 0) {
                current = decision.makeCurrent;
                written.push_back(current);
            }
        }
    };
    for (const FocusChange& change : changes) {
        settle(change.atMs);
        debounce.Focus(Program(change.program), change.atMs);
    }
    settle(changes.empty() ? 0 : changes.back().atMs + 1000);
    return written;
}

TEST(FocusDecisionTest, FocusSequencesWriteTheBoundProfilesOnce) {
    struct Case {
        const char* what;
        std::vector<FocusChange> changes;
        std::vector<int> written;
    };
    const Case cases[] = {
        {"unbound programs change nothing", {{0, "xterm"}, {500, "nautilus"}, {900, ""}}, {}},
        {"a bound program's profile", {{0, "firefox"}}, {2}},
        {"leaving restores the user's profile", {{0, "firefox"}, {500, "xterm"}}, {2, 1}},
        {"focus on no window leaves too", {{0, "gimp"}, {400, ""}}, {3, 1}},
        {"bound to bound", {{0, "firefox"}, {400, "gimp"}, {800, "firefox"}}, {2, 3, 2}},
        {"a burst settles on its last", {{0, "firefox"}, {60, "gimp"}, {120, "firefox"}}, {2}},
        {"a burst back where it began", {{0, "xterm"}, {50, "firefox"}, {100, "xterm"}}, {}},
        {"a burst ending elsewhere",
         {{0, "firefox"}, {400, "gimp"}, {450, "xterm"}, {500, "firefox"}},
         {2}},
        {"the user's own profile is no switch", {{0, "kitty"}, {400, "xterm"}}, {}},
        {"from a bound one to the user's binding", {{0, "gimp"}, {400, "kitty"}}, {3, 1}},
        {"a change exactly at the settle time", {{0, "firefox"}, {300, "gimp"}}, {2, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Writes(c.changes), c.written) << c.what;
    }
}

TEST(FocusDecisionTest, NamesMatchProcessOrEitherClassPartWithoutCase) {
    const auto bindings = Bindings();
    struct Case {
        FocusedProgram program;
        int profile;
        const char* matched;
    };
    const Case cases[] = {
        {{"Navigator", "Firefox", "other"}, 2, "firefox"},
        {{"x", "y", "FIREFOX"}, 2, "firefox"},
        {{"gimp", "", ""}, 3, "Gimp"},
        {{"firefox-esr", "Firefox-esr", "firefox-esr"}, 0, ""},
        {{}, 0, ""},
    };
    for (const Case& c : cases) {
        std::string matched;
        EXPECT_EQ(BoundProfile(bindings, c.program, &matched), c.profile) << c.program.Shown();
        EXPECT_EQ(matched, c.matched) << c.program.Shown();
    }
}

}  // namespace
}  // namespace zephyl
