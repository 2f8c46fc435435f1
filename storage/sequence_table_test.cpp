#include "storage/sequence_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using Values = std::vector<int32_t>;

class SequenceTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(table_.Create(path_, 0)); }

  std::vector<Values> InIndexOrder() const {
    std::vector<Values> out;
    for (int32_t pos = 0; pos < table_.index().Count(); ++pos) {
      out.push_back(table_.Get(table_.IdAtIndexPosition(pos)).ToVector());
    }
    return out;
  }

  velmora::testing::TempDir dir_;
  std::string path_ = dir_ / "Pages";
  ScriptedPrompter prompter_;
  SequenceTable table_{prompter_};
};

// Non-negative values with the terminator ordering first are plain lexicographic order, which
// is how std::vector compares.
TEST_F(SequenceTableTest, FindAndAddAgreeWithAMapModel) {
  std::mt19937 rng(11);
  std::map<Values, int32_t> model;
  for (int i = 0; i < 3000; ++i) {
    Values values(rng() % 5);
    for (int32_t& v : values) v = static_cast<int32_t>(rng() % 4);
    if (rng() % 50 == 0) values.push_back(0x7FFFFFFF);
    if (i == 1500) {  // one long enough to grow the heap by two steps
      values.resize(40000);
      for (size_t k = 0; k < values.size(); ++k) values[k] = static_cast<int32_t>(k);
    }
    const auto known = model.find(values);
    if (known != model.end()) {
      ASSERT_EQ(table_.Find(values), known->second);
    } else {
      ASSERT_EQ(table_.Find(values), -1);
      const auto id = static_cast<int32_t>(model.size());
      ASSERT_EQ(table_.Add(values), id);
      model.emplace(values, id);
    }
  }
  table_.Close();
  ASSERT_TRUE(table_.OpenOrCreate(path_, 0));
  std::vector<Values> sorted;
  for (const auto& [values, id] : model) {
    sorted.push_back(values);
    EXPECT_EQ(table_.Get(id).ToVector(), values);
  }
  EXPECT_EQ(InIndexOrder(), sorted);
  EXPECT_EQ(table_.heap().MappedSize(), 3u * 65536);
}

TEST_F(SequenceTableTest, OrdersSignedWithTheTerminatorBeforeEveryValue) {
  const std::vector<Values> added = {{5}, {5, 0}, {}, {-7}, {0}, {5, -3}};
  for (const Values& v : added) ASSERT_GE(table_.Add(v), 0);
  // The terminator compares as -1: after -3 and -7, before 0.
  EXPECT_EQ(InIndexOrder(), (std::vector<Values>{{-7}, {}, {0}, {5, -3}, {5}, {5, 0}}));
}

TEST_F(SequenceTableTest, SequenceEndsAtItsFirstTerminatorAndIsStoredWithIt) {
  const int32_t id = table_.Add(Values{1, 2, -1, 3});
  EXPECT_EQ(table_.Get(id).ToVector(), (Values{1, 2}));
  EXPECT_EQ(table_.Find(Values{1, 2}), id);
  EXPECT_EQ(table_.heap().Count(), 3);
  EXPECT_EQ(table_.heap().Entry(2), kSequenceTerminator);
  const int32_t empty = table_.Add(Values{});
  EXPECT_TRUE(table_.Get(empty).empty());
  EXPECT_EQ(table_.Find(Values{}), empty);
  EXPECT_EQ(table_.FindOrAdd(Values{1, 2}), id);
}

TEST_F(SequenceTableTest, DamagedHeapOrOffsetsAreReadWithinBounds) {
  ASSERT_EQ(table_.Add(Values{4, 5, 6}), 0);
  table_.heap().SetEntry(3, 9);  // terminator lost: the sequence runs to the heap's end
  EXPECT_EQ(table_.Get(0).ToVector(), (Values{4, 5, 6, 9}));
  table_.offsets().SetEntry(0, 1000);
  EXPECT_TRUE(table_.Get(0).empty());
  EXPECT_EQ(table_.Find(Values{4, 5, 6}), -1);
}

}  // namespace
}  // namespace velmora
