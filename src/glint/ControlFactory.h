// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zephyl::glint {

class MControl;
class MDialog;

/// The table from class name to control, through which windows create their controls.
class ControlFactory {
public:
    using Creator = std::function<MControl*(MDialog* owner, int id, QWidget* parent)>;

    /// A new control of `className`; null for a name nobody registered.
    static MControl* Create(std::string_view className, MDialog* owner, int id, QWidget* parent);
    /// Adds or replaces a class; controls of later features register themselves this way.
    static void Register(const std::string& className, Creator creator);
    /// Every registered class name, sorted.
    static std::vector<std::string> ClassNames();

    /// Registers `T` under T::kClassName.
    template <class T>
    static void Register() {
        Register(T::kClassName, [](MDialog* owner, int id, QWidget* parent) -> MControl* {
            return new T(owner, id, parent);
        });
    }
};

}  // namespace zephyl::glint
