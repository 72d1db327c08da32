// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "keys/PageOutcome.h"
#include "store/ProfileDatabase.h"
#include "support/TempEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zephyl::test {

/// A fresh profile database of model "K1" in a temporary data folder.
class DatabaseTest : public ::testing::Test {
protected:
    DatabaseTest();

    std::string DataFolder() const;

    TempEnvironment m_environment;
    ProfileDatabase m_db;
};

/// The English texts the pages take their default names and messages from.
TextSource EnglishTexts();

/// "02 03 04 00": bytes as spaced upper-case hex, for readable failures.
std::string Hex(const std::vector<uint8_t>& bytes);
template <typename Container>
std::string Hex(const Container& bytes, size_t from, size_t count) {
    return Hex(std::vector<uint8_t>(bytes.begin() + from, bytes.begin() + from + count));
}

}  // namespace zephyl::test
