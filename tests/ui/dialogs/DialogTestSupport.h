// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "glint/MDialog.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <functional>
#include <memory>

namespace zephyl::test {

/// The one application object of the test program, made on first use.
QApplication& App();

/// Runs pending events and control updates until nothing is left.
void Settle();

/// Clicks the middle of control `id` of `dialog`.
void ClickControl(glint::MDialog& dialog, int id);

/// The visible top-level window named `name`, null when there is none.
QWidget* FindWindow(const QString& name);
int CountVisibleWindows(const QString& name);

/// Runs `act` once the next modal run has started, and makes sure a run that `act` did not
/// end still ends (with 0, a result no test expects).
void WhenModal(std::function<void()> act);

/// Each test in fresh folders, with the shipped language files and skin, in English.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TempEnvironment> m_environment;
};

}  // namespace zephyl::test
