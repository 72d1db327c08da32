// SPDX-License-Identifier: GPL-2.0-or-later
#include "store/ConfigValues.h"
#include "store/ProfileDatabase.h"

#include "StoreTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace zephyl::test {
namespace {

constexpr int kRounds = 200;
constexpr int kKeys = 16;
constexpr int kBatchRows = 50;

class ConcurrencyTest : public StoreTest {
protected:
    ConcurrencyTest() { m_db.InsertDefaultConfig(); }

    // What one thread does: save assignments of keys the other thread saves too, write a
    // lighting set as a batch, and read back what both threads wrote.
    void Work(int thread) {
        for (int round = 0; round < kRounds; ++round) {
            const int key = 4 + round % kKeys;
            m_db.SaveKeyAssignment(
                KeyAssignment{0, 1, 0, key, 0, "", 2, thread * 1000 + round, 0, 0, "desc"});
            std::vector<UserLightKey> batch;
            for (int row = 0; row < kBatchRows; ++row) {
                batch.push_back(UserLightKey{0, 1, thread, row, round});
            }
            m_db.AddUserLightKeys(batch);
            WriteConfigNumber(m_db, kConfigSleepTime, round);

            std::vector<KeyAssignment> assignments;
            m_db.ListKeyAssignments(1, 0, assignments);
            std::set<int> keys;
            for (const KeyAssignment& assignment : assignments) {
                if (!keys.insert(assignment.key_code).second) {
                    m_duplicateKeys++;  // a replacement interleaved with another one
                }
            }
            std::vector<UserLightKey> rows;
            if (m_db.ListUserLightKeys(1 - thread, rows) % kBatchRows != 0) {
                m_partialBatches++;  // saw another thread's batch half-written
            }
            if (ReadConfigNumber(m_db, kConfigSleepTime) < 0) {
                m_badValues++;
            }
        }
    }

    std::atomic<int> m_duplicateKeys{0};
    std::atomic<int> m_partialBatches{0};
    std::atomic<int> m_badValues{0};
};

// The window thread and the worker use the one connection at the same time.
TEST_F(ConcurrencyTest, TwoThreadsSeeOnlyWholeOperations) {
    std::thread window([this] { Work(0); });
    std::thread worker([this] { Work(1); });
    window.join();
    worker.join();

    EXPECT_EQ(m_duplicateKeys, 0);
    EXPECT_EQ(m_partialBatches, 0);
    EXPECT_EQ(m_badValues, 0);
    std::vector<KeyAssignment> assignments;
    EXPECT_EQ(m_db.ListKeyAssignments(1, 0, assignments), kKeys);
    std::vector<UserLightKey> rows;
    EXPECT_EQ(m_db.ListUserLightKeys(0, rows), kRounds * kBatchRows);
    EXPECT_EQ(m_db.ListUserLightKeys(1, rows), kRounds * kBatchRows);
    EXPECT_EQ(Raw().Number("SELECT count(*) FROM t_config_data"), 23);
}

}  // namespace
}  // namespace zephyl::test
