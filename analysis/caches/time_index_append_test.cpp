#include "analysis/caches/time_index_append.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/prompter.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

std::vector<uint32_t> Entries(const TableFile& index) {
  std::vector<uint32_t> entries;
  for (int32_t i = 0; i < index.Count(); ++i) entries.push_back(index.Entry(i));
  return entries;
}

// Keys mostly ascending with runs of equals and the odd late arrival, as log times come: both
// ways of adding give the same index, entry for entry.
TEST(AppendTimeIndexEntry, SameOrderAsAddIndexEntry) {
  testing::TempDir dir;
  ScriptedPrompter prompter;
  TableFile fast(prompter, UnitSize::k4);
  TableFile plain(prompter, UnitSize::k4);
  ASSERT_TRUE(fast.Create(dir / "fast", 1));
  ASSERT_TRUE(plain.Create(dir / "plain", 1));
  std::mt19937 random(5);
  std::vector<uint64_t> keys;
  auto key_of = [&keys](uint32_t n) { return n < keys.size() ? keys[n] : 0; };
  uint64_t now = 1000;
  for (uint32_t n = 0; n < 3000; ++n) {
    const uint32_t roll = random() % 10;
    if (roll < 5) now += random() % 3;  // equal keys are common
    keys.push_back(roll == 9 ? now - random() % 200 : now);
    ASSERT_GE(AppendTimeIndexEntry(fast, n, key_of), 0);
    ASSERT_GE(AddIndexEntry(plain, n, key_of), 0);
  }
  EXPECT_EQ(Entries(fast), Entries(plain));
}

}  // namespace
}  // namespace velmora
