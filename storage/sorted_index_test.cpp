#include "storage/sorted_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

// An index over keys held in a vector: entry e names keys[e].
class SortedIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(index_.Create(dir_ / "Index", 2)); }

  // Fills the index with entries 0..n-1 naming the given (sorted) keys.
  void Fill(const std::vector<int>& sorted_keys) {
    keys_ = sorted_keys;
    index_.Close();
    ASSERT_TRUE(index_.Create(dir_ / "Index", 2));
    for (size_t i = 0; i < keys_.size(); ++i) {
      index_.SetEntry(index_.Append(), static_cast<uint32_t>(i));
    }
  }
  auto CompareWith(int key) const {
    return [this, key](uint32_t entry) { return ThreeWay(key, keys_.at(entry)); };
  }
  SearchResult Search(int key, SearchMode mode) const {
    return SearchIndex(index_, CompareWith(key), mode);
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  TableFile index_{prompter_, UnitSize::k4};
  std::vector<int> keys_;
};

// Every mode against a linear scan, on random sorted data with many duplicates, every size
// from 0 (the empty index) to 70 and every key from below the least to above the greatest.
TEST_F(SortedIndexTest, EveryModeAgreesWithALinearScan) {
  std::mt19937 rng(2024);
  for (int size = 0; size <= 70; ++size) {
    std::vector<int> keys(static_cast<size_t>(size));
    for (int& k : keys) k = static_cast<int>(rng() % 12) * 3;
    std::sort(keys.begin(), keys.end());
    Fill(keys);
    for (int key = -2; key <= 38; ++key) {
      const auto upper =
          static_cast<int32_t>(std::upper_bound(keys.begin(), keys.end(), key) - keys.begin());
      const auto lower =
          static_cast<int32_t>(std::lower_bound(keys.begin(), keys.end(), key) - keys.begin());
      const bool present = lower < upper;
      SCOPED_TRACE("size " + std::to_string(size) + " key " + std::to_string(key));

      const SearchResult exact = Search(key, SearchMode::kExact);
      EXPECT_EQ(exact.found, present);
      if (present) {
        EXPECT_EQ(keys_[static_cast<size_t>(exact.position)], key);
      } else {
        EXPECT_EQ(exact.position, -1);
      }
      const SearchResult up = Search(key, SearchMode::kUpperBound);
      EXPECT_EQ(up.found, size > 0);
      EXPECT_EQ(up.position, size > 0 ? upper : -1);
      const SearchResult down = Search(key, SearchMode::kStrictLower);
      EXPECT_EQ(down.found, size > 0);
      EXPECT_EQ(down.position, lower - 1);
    }
  }
}

TEST_F(SortedIndexTest, SearchOverARangeStaysInsideIt) {
  Fill({1, 9, 2, 3, 3, 4, 0});  // sorted only on positions 2..5
  auto upper = [&](int key) {
    return SearchIndex(index_, CompareWith(key), SearchMode::kUpperBound, 2, 4).position;
  };
  EXPECT_EQ(upper(0), 2);
  EXPECT_EQ(upper(3), 5);
  EXPECT_EQ(upper(9), 6);
  EXPECT_EQ(SearchIndex(index_, CompareWith(1), SearchMode::kStrictLower, 2, 4).position, -1);
  EXPECT_FALSE(SearchIndex(index_, CompareWith(3), SearchMode::kExact, 2, 9).found);  // too long
}

// Entries are only compared through the callback; whatever an unsorted or damaged index holds,
// the search answers inside the index.
TEST_F(SortedIndexTest, UnsortedIndexAnswersInsideTheIndex) {
  std::mt19937 rng(7);
  std::vector<int> keys(300);
  for (int& k : keys) k = static_cast<int>(rng() % 50);
  Fill(keys);
  for (int key = -1; key <= 51; ++key) {
    for (const SearchMode mode :
         {SearchMode::kExact, SearchMode::kUpperBound, SearchMode::kStrictLower}) {
      const SearchResult r = Search(key, mode);
      EXPECT_GE(r.position, -1);
      EXPECT_LE(r.position, 300);
    }
  }
}

TEST_F(SortedIndexTest, InsertSortedKeepsEqualKeysInArrivalOrder) {
  std::mt19937 rng(99);
  keys_.clear();
  std::vector<uint32_t> expected;  // records ordered by (key, arrival)
  for (uint32_t record = 0; record < 2000; ++record) {
    keys_.push_back(static_cast<int>(rng() % 40));
    ASSERT_GE(InsertSorted(index_, CompareWith(keys_.back()), record), 0);
  }
  for (uint32_t r = 0; r < keys_.size(); ++r) expected.push_back(r);
  std::stable_sort(expected.begin(), expected.end(),
                   [&](uint32_t a, uint32_t b) { return keys_[a] < keys_[b]; });
  ASSERT_EQ(index_.Count(), 2000);
  for (int32_t i = 0; i < index_.Count(); ++i) {
    ASSERT_EQ(index_.Entry(i), expected[static_cast<size_t>(i)]) << i;
  }
}

}  // namespace
}  // namespace velmora
