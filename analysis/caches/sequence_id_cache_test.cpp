#include "analysis/caches/sequence_id_cache.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

std::vector<uint8_t> FileBytes(const TableFile& file) {
  const auto* first = file.UnitAt(0);
  const size_t size = static_cast<size_t>(file.Count()) * Bytes(file.unit_size());
  return first == nullptr ? std::vector<uint8_t>{} : std::vector<uint8_t>(first, first + size);
}

// Visit lists stored through the cache, deferring their indexing over several batches, against
// the same lists added one by one to a plain table: every answer and every byte of the three
// files agree. The lists share prefixes, repeat, include the empty list, lists cut at a -1 and
// other negative numbers (stored as they are, ordered before the terminator), and some are
// stored before the cache's first use.
TEST(SequenceIdCacheTest, DeferredStoresEndAsAddsOneByOne) {
  velmora::testing::TempDir dir;
  ScriptedPrompter prompter;
  SequenceTable cached(prompter);
  SequenceTable plain(prompter);
  ASSERT_TRUE(cached.Create(dir / "Cached", 0));
  ASSERT_TRUE(plain.Create(dir / "Plain", 0));
  const std::vector<std::vector<int32_t>> fixed = {{},   {5},     {5, 1}, {5, 1, 9}, {5, -1, 7},
                                                   {-2}, {-2, 3}, {0},    {4, 4, 4}};
  for (const auto& values : {fixed[1], fixed[6]}) {
    ASSERT_EQ(cached.Add(values), plain.Add(values));
  }
  std::mt19937 random(5);
  SequenceIdCache cache;
  cache.set_deferring(true);
  for (int batch = 0; batch < 4; ++batch) {
    for (int i = 0; i < 700; ++i) {
      std::vector<int32_t> values;
      if (i < static_cast<int>(fixed.size())) {
        values = fixed[static_cast<size_t>(i)];
      } else {
        const int length = static_cast<int>(random() % 5);
        for (int j = 0; j < length; ++j) values.push_back(static_cast<int32_t>(random() % 6));
      }
      const int32_t expected = plain.FindOrAdd(values);
      ASSERT_EQ(cache.FindOrAdd(cached, values), expected) << batch << "/" << i;
      // Stored but perhaps not indexed yet: the table still finds it.
      ASSERT_EQ(cached.Find(values), expected) << batch << "/" << i;
    }
    if (batch < 3) {
      EXPECT_TRUE(cache.Flush(cached));
      EXPECT_EQ(cached.index().Count(), cached.Count());
    }
  }
  // The last batch is left unindexed, as by a run that stopped: a new cache takes it over.
  SequenceIdCache next;
  next.set_deferring(true);
  EXPECT_EQ(next.FindOrAdd(cached, std::vector<int32_t>{9, 9, 9, 9, 9, 9}),
            plain.Add(std::vector<int32_t>{9, 9, 9, 9, 9, 9}));
  EXPECT_TRUE(next.Flush(cached));
  EXPECT_GT(cached.Count(), 300);
  EXPECT_EQ(FileBytes(cached.heap()), FileBytes(plain.heap()));
  EXPECT_EQ(FileBytes(cached.offsets()), FileBytes(plain.offsets()));
  EXPECT_EQ(FileBytes(cached.index()), FileBytes(plain.index()));
}

}  // namespace
}  // namespace velmora
