#include "storage/deferred_index_entries.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

// New keys held back and put in by batches (one of them a full one) against the same keys
// inserted one by one: the two indexes end byte for byte alike. The index already holds runs of
// equal keys, and the new keys fall before, among and after them.
TEST(DeferredIndexEntriesTest, BatchesEndAsInsertsOneByOne) {
  velmora::testing::TempDir dir;
  ScriptedPrompter prompter;
  TableFile plain(prompter, UnitSize::k4);
  TableFile deferred(prompter, UnitSize::k4);
  ASSERT_TRUE(plain.Create(dir / "Plain", 1));
  ASSERT_TRUE(deferred.Create(dir / "Deferred", 1));
  std::vector<uint64_t> keys;  // record r has key keys[r]
  auto key_of = [&keys](uint32_t r) { return keys[r]; };
  for (uint64_t key : {100u, 200u, 200u, 200u, 300u}) {
    const auto r = static_cast<uint32_t>(keys.size());
    keys.push_back(key);
    for (TableFile* index : {&plain, &deferred}) index->SetEntry(index->Append(), r);
  }

  std::mt19937_64 random(3);
  DeferredIndexEntries<uint64_t> held;
  int full_batches = 0;
  for (int i = 0; i < 70'000; ++i) {
    const uint64_t key = random() % 1'000'000;
    const auto r = static_cast<uint32_t>(keys.size());
    if (SearchIndex(deferred, CompareKeyWith(key, key_of), SearchMode::kExact).found) {
      continue;
    }
    if (held.Find(key) >= 0) {
      EXPECT_EQ(keys[static_cast<size_t>(held.Find(key))], key);
      continue;
    }
    keys.push_back(key);
    ASSERT_TRUE(plain.Reserve(1));
    InsertSorted(plain, CompareKeyWith(key, key_of), r);
    ASSERT_TRUE(held.Reserve(deferred));
    if (held.Add(key, static_cast<int32_t>(r))) {
      ASSERT_TRUE(held.Flush(deferred, key_of));
      ++full_batches;
    }
    if (full_batches > 0 && i % 1'000 == 0) {
      ASSERT_TRUE(held.Flush(deferred, key_of));
    }
  }
  ASSERT_TRUE(held.Flush(deferred, key_of));
  EXPECT_EQ(full_batches, 1);
  EXPECT_EQ(held.size(), 0u);
  ASSERT_EQ(deferred.Count(), plain.Count());
  for (int32_t p = 0; p < plain.Count(); ++p) ASSERT_EQ(deferred.Entry(p), plain.Entry(p)) << p;
}

}  // namespace
}  // namespace velmora
