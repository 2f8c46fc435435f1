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
  // The model: take `record` out and put it behind every entry whose key is <= its key.
  void ModelSettle(std::vector<uint32_t>& model, uint32_t record) const {
    model.erase(std::find(model.begin(), model.end(), record));
    const auto at = std::upper_bound(model.begin(), model.end(), keys_[record],
                                     [&](uint64_t key, uint32_t r) { return key < keys_[r]; });
    model.insert(at, record);
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  TableFile index_{prompter_, UnitSize::k4};
  std::vector<uint64_t> keys_;
};

TEST_F(IndexOrderTest, EachRuleMovesTheEntryToItsPlace) {
  struct Case {
    std::string rule;
    std::vector<uint64_t> keys;  // key of record r after the change
    std::vector<uint32_t> before;
    uint32_t changed;
    std::vector<uint32_t> after;
  };
  const Case cases[] = {
      {"only entry stays", {50}, {0}, 0, {0}},
      {"first moves behind greater-or-equal", {35, 20, 30, 40}, {0, 1, 2, 3}, 0, {1, 2, 0, 3}},
      {"first passes an equal", {30, 20, 30, 40}, {0, 1, 2, 3}, 0, {1, 2, 0, 3}},
      {"first still least stays", {5, 20, 30}, {0, 1, 2}, 0, {0, 1, 2}},
      {"first moves to the end", {99, 20, 30}, {0, 1, 2}, 0, {1, 2, 0}},
      {"last moves down behind its equal", {10, 20, 30, 20}, {0, 1, 2, 3}, 3, {0, 1, 3, 2}},
      {"last moves to the front", {10, 20, 30, 1}, {0, 1, 2, 3}, 3, {3, 0, 1, 2}},
      {"last still greatest stays", {10, 20, 30}, {0, 1, 2}, 2, {0, 1, 2}},
      {"middle moves up", {10, 45, 30, 40, 50}, {0, 1, 2, 3, 4}, 1, {0, 2, 3, 1, 4}},
      {"middle equal to next moves behind it", {10, 30, 30, 40}, {0, 1, 2, 3}, 1, {0, 2, 1, 3}},
      {"middle moves down", {10, 20, 30, 15, 50}, {0, 1, 2, 3, 4}, 3, {0, 3, 1, 2, 4}},
      {"middle equal to previous stays", {10, 20, 20, 40}, {0, 1, 2, 3}, 2, {0, 1, 2, 3}},
      {"middle between neighbours stays", {10, 25, 30}, {0, 1, 2}, 1, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    keys_ = c.keys;
    SetIndex(c.before);
    const int32_t to = SettleIndexEntry(index_, PositionOf(c.changed), KeyOf());
    EXPECT_EQ(Entries(), c.after);
    EXPECT_EQ(to, PositionOf(c.changed));
  }
  EXPECT_EQ(SettleIndexEntry(index_, 99, KeyOf()), -1);
}

// Appending new records and changing keys at random, the index always equals the model, and
// equal keys stay in the order they arrived.
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
      ModelSettle(model, record);
      ASSERT_GE(AddIndexEntry(index_, record, KeyOf()), 0);
    } else {
      const auto record = static_cast<uint32_t>(rng() % keys_.size());
      const int64_t delta = static_cast<int64_t>(rng() % 61) - 30;
      keys_[record] = static_cast<uint64_t>(static_cast<int64_t>(keys_[record]) + delta);
      ModelSettle(model, record);
      ASSERT_GE(SettleIndexEntry(index_, PositionOf(record), KeyOf()), 0);
    }
    ASSERT_EQ(Entries(), model) << "step " << step;
  }
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
