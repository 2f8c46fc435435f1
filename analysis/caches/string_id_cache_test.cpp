#include "analysis/caches/string_id_cache.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

// Two tables fed the same texts, one through the cache and one alone, must end up identical and
// answer every lookup alike.
class StringIdCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cached_.Create(dir_ / "Cached", 0));
    ASSERT_TRUE(plain_.Create(dir_ / "Plain", 0));
  }

  static std::vector<uint8_t> FileBytes(const TableFile& file) {
    const auto* first = file.UnitAt(0);
    const size_t size = static_cast<size_t>(file.Count()) * Bytes(file.unit_size());
    return first == nullptr ? std::vector<uint8_t>{} : std::vector<uint8_t>(first, first + size);
  }
  void ExpectSameFiles() {
    EXPECT_EQ(FileBytes(cached_.heap()), FileBytes(plain_.heap()));
    EXPECT_EQ(FileBytes(cached_.offsets()), FileBytes(plain_.offsets()));
    EXPECT_EQ(FileBytes(cached_.index()), FileBytes(plain_.index()));
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  StringTable cached_{prompter_};
  StringTable plain_{prompter_};
  StringIdCache cache_;
};

TEST_F(StringIdCacheTest, AnswersAsTheTableDoes) {
  std::mt19937 random(7);
  std::vector<std::string> texts = {"", "/", "a", "b", std::string("nul\0after", 9), "nul"};
  for (int i = 0; i < 3000; ++i) texts.push_back("/page/" + std::to_string(random() % 1500));
  for (const std::string& text : texts) {
    const int32_t expected = plain_.FindOrAdd(text);
    EXPECT_EQ(cache_.FindOrAdd(cached_, text), expected) << text;
    EXPECT_EQ(cache_.Find(cached_, text), expected) << text;
  }
  EXPECT_EQ(cache_.Find(cached_, "/page/missing"), -1);
  EXPECT_EQ(cache_.Find(cached_, "nul"), plain_.Find("nul"));  // "nul\0after" is stored as "nul"
  ExpectSameFiles();
}

TEST_F(StringIdCacheTest, ReadsWhatTheTableAlreadyHoldsAndWhatOthersAdd) {
  for (const char* text : {"one", "two", "three"}) {
    plain_.Add(text);
    cached_.Add(text);
  }
  EXPECT_EQ(cache_.Find(cached_, "two"), 1);  // stored before the cache's first use
  // Added behind the cache's back: the count tells it to read the table again.
  cached_.Add("four");
  plain_.Add("four");
  EXPECT_EQ(cache_.Find(cached_, "four"), 3);
  // Added through the cache.
  const int32_t five = cache_.Add(cached_, "five");
  plain_.Add("five");
  EXPECT_EQ(cache_.FindOrAdd(cached_, "five"), five);
  const int32_t six = cache_.Add(cached_, "six");
  plain_.Add("six");
  EXPECT_EQ(cache_.Find(cached_, "six"), six);
  EXPECT_EQ(cache_.Find(cached_, "seven"), -1);
  ExpectSameFiles();

  cache_.Clear();
  EXPECT_EQ(cache_.size(), 0u);
  EXPECT_EQ(cache_.Find(cached_, "one"), 0);
  EXPECT_EQ(cache_.size(), 6u);
}

// Deferred indexing: the new texts are found through the cache at once and by the table after
// Flush, and the files end up as one Add after another leaves them, over several batches and
// with texts that sort before, between and after those already stored.
TEST_F(StringIdCacheTest, DeferredIndexEndsAsAddsOneByOne) {
  for (const char* text : {"/m", "/c", "/x"}) {
    plain_.Add(text);
    cached_.Add(text);
  }
  std::mt19937 random(11);
  cache_.set_deferring(true);
  for (int batch = 0; batch < 3; ++batch) {
    std::vector<std::string> added;
    for (int i = 0; i < 400; ++i) {
      std::string text = "/" + std::to_string(random() % 100000);
      if (batch == 2) text = "/z" + text;  // all behind the stored ones
      if (plain_.Find(text) >= 0) continue;
      const int32_t expected = plain_.Add(text);
      EXPECT_EQ(cache_.FindOrAdd(cached_, text), expected);
      added.push_back(text);
    }
    ASSERT_FALSE(added.empty());
    EXPECT_LT(cached_.index().Count(), cached_.Count());  // not in the sorted index yet
    EXPECT_EQ(cached_.Find(added.front()), plain_.Find(added.front()));  // but found
    EXPECT_EQ(cache_.Find(cached_, added.back()), plain_.Find(added.back()));
    EXPECT_TRUE(cache_.Flush(cached_));
    EXPECT_EQ(cached_.Find(added.back()), plain_.Find(added.back()));
    ExpectSameFiles();
  }
  EXPECT_TRUE(cache_.Flush(cached_));  // nothing left
  ExpectSameFiles();
}

// A run stopped before its Flush leaves its new texts out of the sorted index; the next cache
// finds them and its Flush indexes them with its own.
TEST_F(StringIdCacheTest, TextsLeftOutByAStoppedRunAreIndexedByTheNext) {
  for (const char* text : {"/k", "/b", "/y"}) {
    plain_.Add(text);
    cached_.Add(text);
  }
  {
    StringIdCache stopped;
    stopped.set_deferring(true);
    for (const char* text : {"/q", "/a"}) {
      EXPECT_EQ(stopped.FindOrAdd(cached_, text), plain_.Add(text));
    }
  }  // no Flush
  cache_.set_deferring(true);
  EXPECT_EQ(cache_.Find(cached_, "/a"), plain_.Find("/a"));
  EXPECT_EQ(cache_.FindOrAdd(cached_, "/m"), plain_.Add("/m"));
  EXPECT_TRUE(cache_.Flush(cached_));
  EXPECT_EQ(cached_.index().Count(), cached_.Count());
  for (const char* text : {"/a", "/q", "/m", "/y"}) {
    EXPECT_EQ(cached_.Find(text), plain_.Find(text)) << text;
  }
  ExpectSameFiles();
}

TEST_F(StringIdCacheTest, ClosedTableFindsNothing) {
  cached_.Close();
  EXPECT_EQ(cache_.Find(cached_, "x"), -1);
  EXPECT_EQ(cache_.FindOrAdd(cached_, "x"), -1);
}

}  // namespace
}  // namespace velmora
