// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The code spaces a key passes through: Windows virtual-key codes (what key capture reports and
// what macro steps store), HID keyboard usages (what the keyboard's tables hold, 175 for Fn),
// the HID modifier bit mask, HID consumer usages and the key-function codes 500..517 of the
// key-function list.

#include <cstdint>
#include <span>
#include <string>

namespace zephyl {

inline constexpr int kFnKeyUsage = 175;
inline constexpr int kFirstModifierUsage = 224;  ///< left Ctrl
inline constexpr int kLastModifierUsage = 231;   ///< right Windows
inline constexpr int kFirstConsumerFunction = 500;
inline constexpr int kLastConsumerFunction = 517;

/// Keypad Enter has no virtual-key code of its own; key capture gives it the separator's.
inline constexpr int kKeypadEnterVirtualKey = 108;

/// The HID usage of a virtual-key code; 0 when the key has none (the generic Shift, Ctrl and
/// Alt codes 16, 17 and 18 among them).
int VirtualKeyToUsage(int vk);

/// The modifier bit of a modifier usage (224..231); any other value is returned unchanged.
int UsageToModifierBit(int usage);

inline bool IsModifierUsage(int usage) {
    return usage >= kFirstModifierUsage && usage <= kLastModifierUsage;
}

/// Left and right Shift, Ctrl and Alt, and the Windows keys.
inline bool IsModifierVirtualKey(int vk) {
    return IsModifierUsage(VirtualKeyToUsage(vk));
}

/// One consumer function of the key-function list.
struct ConsumerFunction {
    int code;             ///< 500..517
    std::uint16_t usage;  ///< HID Consumer page
    const char* name;     ///< the Consumer page's name of the usage
    int descriptionText;  ///< language entry describing the list item
};

/// The consumer functions 500..517 in code order.
std::span<const ConsumerFunction> ConsumerFunctions();

/// Low and high byte of the consumer usage of a key-function code; both outputs stay as they
/// were for codes outside 500..517.
void FunctionToConsumerUsage(int code, int& low, int& high);

/// The short label of a usage shown for the key being assigned; empty for usages without one.
std::string UsageLabel(int usage);

}  // namespace zephyl
