// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Keys of kinds 8..11 make the keyboard report a host-action id; the program then runs the
// action stored under that id. The keyboard reports the id in one byte.

#include <string>

namespace zephyl {

class ProfileDatabase;

/// Ids the keyboard can report.
inline constexpr int kLargestHostActionId = 255;

/// What a reported action asks the desktop to do.
struct HostActionPlan {
    enum class Kind { kNothing, kRunProgram, kOpenAddress, kPasteText, kSwitchProfile };
    Kind kind = Kind::kNothing;
    std::string text;  ///< program path, address or text
    int profile = 0;   ///< for kSwitchProfile
};

/// The action of a stored row: run the program at the path (type 8), open the address (type 9;
/// an address without "www." and without a scheme gets "www." in front), paste the text (10),
/// switch to the profile whose id the parameter holds (11). Any other type does nothing.
HostActionPlan PlanHostAction(int type, const std::string& description, const std::string& param);

/// The address to hand to the desktop's opener, which needs a scheme: "http://" is put in front
/// of an address that has none.
std::string DesktopUrl(const std::string& address);

/// Performs actions on the desktop; the desktop layer implements it.
class HostActionExecutor {
public:
    virtual ~HostActionExecutor() = default;
    virtual void RunProgram(const std::string& path) = 0;
    virtual void OpenAddress(const std::string& address) = 0;
    /// Puts the text on the clipboard, pastes it with Ctrl+V, then empties the clipboard.
    virtual void PasteText(const std::string& text) = 0;
    /// The current profile has changed: show its assignments. Nothing is sent to the keyboard.
    virtual void SwitchProfile(int profile) = 0;
};

/// Looks the reported id up and performs its action; returns the plan performed.
HostActionPlan PerformHostAction(ProfileDatabase& database, int id, HostActionExecutor& executor);

/// The result of storing a host action for a key.
struct HostActionAdd {
    int id = 0;           ///< the row the key refers to; 0 when none
    bool reused = false;  ///< an identical row of an id the keyboard can report was taken
    int messageText = 0;  ///< why nothing was stored (0: an empty text or a failed insert)
};

/// Stores the action of a key of kinds 8..11. Each confirmation adds a row while ids the
/// keyboard can report are left. Once they are used up, an identical existing row is taken
/// again, and a new action is refused: a larger id would reach the program as its low byte and
/// run another row's action. An empty description stores nothing.
HostActionAdd AddHostActionForKey(ProfileDatabase& database, const std::string& description,
                                  const std::string& param, int type);

}  // namespace zephyl
