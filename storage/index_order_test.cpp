#include "storage/index_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "storage/database_keys.h"
#include "storage/indexed_table.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

// Record r has key keys_[r]; the index holds record numbers.
class IndexOrderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(index_.Create(dir_ / "Sessions", 1)); }

  auto KeyOf() const {
    return [this](uint32_t r) { return r < keys_.size() ? keys_[r] : uint64_t{0}; };
  }
  void SetIndex(const std::vector<uint32_t>& entries) {
    index_.Close();
    ASSERT_TRUE(index_.Create(dir_ / "Sessions", 1));
    for (uint32_t e : entries) index_.SetEntry(index_.Append(), e);
  }
  std::vector<uint32_t> Entries() const {
    std::vector<uint32_t> out;
    for (int32_t i = 0; i < index_.Count(); ++i) out.push_back(index_.Entry(i));
    return out;
  }
  int32_t PositionOf(uint32_t record) const {
    for (int32_t i = 0; i < index_.Count(); ++i) {
      if (index_.Entry(i) == record) return i;
    }
    return -1;
  }
  // The model: take `record` out and put it behind every entry whose key is <= its key; returns
  // where it went.
  int32_t ModelSettle(std::vector<uint32_t>& model, uint32_t record) const {
    model.erase(std::find(model.begin(), model.end(), record));
    const auto at = std::upper_bound(model.begin(), model.end(), keys_[record],
                                     [&](uint64_t key, uint32_t r) { return key < keys_[r]; });
    return static_cast<int32_t>(model.insert(at, record) - model.begin());
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  TableFile index_{prompter_, UnitSize::k4};
  std::vector<uint64_t> keys_;
};

// Appending new records and changing keys at random, the index always equals the model, and
// equal keys stay in the order they arrived. Many keys are equal, changes move entries both ways
// and the first and the last entry change too, so every rule of the settling meets its cases.
TEST_F(IndexOrderTest, RandomArrivalsAndKeyChangesMatchTheModel) {
  std::mt19937 rng(77);
  std::vector<uint32_t> model;
  uint64_t clock = 1000;
  for (int step = 0; step < 4000; ++step) {
    if (keys_.empty() || rng() % 3 != 0) {
      // Mostly in time order, sometimes late, often equal to the previous time.
      clock += rng() % 3;
      const uint64_t key = rng() % 8 == 0 ? clock - rng() % 50 : clock;
      const auto record = static_cast<uint32_t>(keys_.size());
      keys_.push_back(key);
      model.push_back(record);
      ASSERT_EQ(AddIndexEntry(index_, record, KeyOf()), ModelSettle(model, record));
    } else {
      const auto record = static_cast<uint32_t>(rng() % keys_.size());
      const int64_t delta = static_cast<int64_t>(rng() % 61) - 30;
      keys_[record] = static_cast<uint64_t>(static_cast<int64_t>(keys_[record]) + delta);
      ASSERT_EQ(SettleIndexEntry(index_, PositionOf(record), KeyOf()), ModelSettle(model, record));
    }
    ASSERT_EQ(Entries(), model) << "step " << step;
  }
  EXPECT_EQ(SettleIndexEntry(index_, index_.Count(), KeyOf()), -1);
}

TEST_F(IndexOrderTest, DamagedIndexIsSettledWithoutLeavingIt) {
  keys_ = {30, 10, 20};
  SetIndex({0xFFFFFFFF, 7, 2, 0, 1});
  for (int32_t pos = 0; pos < 5; ++pos) {
    const int32_t to = SettleIndexEntry(index_, pos, KeyOf());
    EXPECT_GE(to, 0);
    EXPECT_LT(to, 5);
  }
  std::vector<uint32_t> sorted = Entries();
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<uint32_t>{0, 1, 2, 7, 0xFFFFFFFF}));  // nothing lost
}

// The visit table's last-request index, kept through its key accessor as the analysis does.
TEST_F(IndexOrderTest, SessionIndexFollowsLastRequestTimes) {
  RecordTable<SessionRecord> sessions(prompter_, 2);
  ASSERT_TRUE(sessions.Create(dir_ / "Visits", 0));
  const uint64_t times[] = {500, 300, 700, 300};
  for (uint64_t t : times) {
    SessionRecord visit;
    visit.first_request_time.set(t);
    visit.last_request_time.set(t);
    const int32_t n = sessions.Append(visit);
    ASSERT_GE(AddIndexEntry(sessions.index(1), static_cast<uint32_t>(n),
                            SessionFirstRequestKey(sessions)),
              0);
    ASSERT_GE(
        AddIndexEntry(sessions.index(2), static_cast<uint32_t>(n), SessionLastRequestKey(sessions)),
        0);
  }
  // Visit 1 gets a later request.
  SessionRecord visit = sessions.Get(1);
  visit.last_request_time.set(900);
  sessions.Set(1, visit);
  int32_t pos = 0;
  while (sessions.index(2).Entry(pos) != 1) ++pos;
  SettleIndexEntry(sessions.index(2), pos, SessionLastRequestKey(sessions));
  std::vector<uint32_t> by_last, by_first;
  for (int32_t i = 0; i < 4; ++i) {
    by_last.push_back(sessions.index(2).Entry(i));
    by_first.push_back(sessions.index(1).Entry(i));
  }
  EXPECT_EQ(by_first, (std::vector<uint32_t>{1, 3, 0, 2}));
  EXPECT_EQ(by_last, (std::vector<uint32_t>{3, 0, 2, 1}));
}

}  // namespace
}  // namespace velmora
