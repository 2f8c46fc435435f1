#include "storage/string_table.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "storage/table_file_name.h"
#include "storage/table_test_support.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::ScopedFaultHook;

class StringTableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(table_.Create(path_, 0)); }

  // The strings in sorted-index order.
  std::vector<std::string> InIndexOrder() const {
    std::vector<std::string> out;
    for (int32_t pos = 0; pos < table_.index().Count(); ++pos) {
      out.emplace_back(table_.Get(table_.IdAtIndexPosition(pos)));
    }
    return out;
  }

  velmora::testing::TempDir dir_;
  std::string path_ = dir_ / "Strings";
  ScriptedPrompter prompter_;
  StringTable table_{prompter_};
};

std::string RandomText(std::mt19937& rng) {
  static constexpr char kAlphabet[] = {'a', 'b', 'B', '/', '.', '\x7f', '\x80', '\xff'};
  std::string text(rng() % 6, ' ');
  for (char& c : text) c = kAlphabet[rng() % sizeof kAlphabet];
  return text;
}

// Ids are given in order of arrival and never change; the index orders as strcmp does
// (unsigned bytes, a prefix first); everything survives growth and reopening.
TEST_F(StringTableTest, FindAndAddAgreeWithAMapModel) {
  std::mt19937 rng(5);
  std::map<std::string, int32_t> model;  // std::string orders like strcmp on unsigned bytes
  for (int i = 0; i < 3000; ++i) {
    // Now and then a long string, so that the heap grows across several steps.
    const std::string text =
        i % 30 == 0 ? std::string(2047, 'A' + i % 26) + std::to_string(i) : RandomText(rng);
    const auto known = model.find(text);
    const int32_t found = table_.Find(text);
    if (known != model.end()) {
      ASSERT_EQ(found, known->second) << text;
    } else {
      ASSERT_EQ(found, -1) << text;
      const auto id = static_cast<int32_t>(model.size());
      ASSERT_EQ(table_.Add(text), id);
      model.emplace(text, id);
    }
  }
  table_.Close();
  ASSERT_TRUE(table_.OpenOrCreate(path_, 0));
  ASSERT_EQ(table_.Count(), static_cast<int32_t>(model.size()));
  std::vector<std::string> sorted;
  for (const auto& [text, id] : model) {
    sorted.push_back(text);
    EXPECT_EQ(table_.Get(id), text);
    EXPECT_EQ(table_.Find(text), id);
  }
  EXPECT_EQ(InIndexOrder(), sorted);
  EXPECT_GT(table_.heap().MappedSize(), 3u * 65536);
  EXPECT_TRUE(prompter_.messages().empty());
}

TEST_F(StringTableTest, TextEndsAtItsFirstNul) {
  const int32_t id = table_.Add(std::string("ab\0cd", 5));
  EXPECT_EQ(table_.Get(id), "ab");
  EXPECT_EQ(table_.Find("ab"), id);
  EXPECT_EQ(table_.Find(std::string("ab\0zz", 5)), id);
  EXPECT_EQ(table_.FindOrAdd("ab"), id);
  EXPECT_EQ(table_.Count(), 1);
  EXPECT_EQ(table_.heap().Count(), 3);  // "ab" and its NUL
}

TEST_F(StringTableTest, MembersHaveTheirFileIdsAndOpenInOrderStoppingAtAFailure) {
  table_.Close();
  const uint32_t base = 0x10100000;  // table number 16
  StringTable numbered(prompter_);
  ASSERT_TRUE(numbered.Create(path_, 16));
  numbered.Close();
  std::vector<std::string> opened;
  ScopedFaultHook hook([&](MappedFileStep step, const std::string& path) {
    if (step != MappedFileStep::kOpen) return 0;
    opened.push_back(path);
    return path == HashedTableFileName(path_, base + 1) ? EIO : 0;
  });
  EXPECT_FALSE(numbered.OpenOrCreate(path_, 16));
  EXPECT_EQ(opened, (std::vector<std::string>{HashedTableFileName(path_, base),
                                              HashedTableFileName(path_, base + 1)}));
  EXPECT_TRUE(numbered.heap().is_open());  // members already open stay open
  EXPECT_FALSE(numbered.is_open());
  numbered.Close();
  EXPECT_FALSE(numbered.heap().is_open());
}

TEST_F(StringTableTest, DamagedOffsetsAndMissingTerminatorStayInsideTheFiles) {
  ASSERT_EQ(table_.Add("alpha"), 0);
  ASSERT_EQ(table_.Add("beta"), 1);
  table_.offsets().SetEntry(1, 0x7FFFFFF0);  // beyond the heap
  EXPECT_EQ(table_.Get(1), "");
  EXPECT_EQ(table_.Get(7), "");
  EXPECT_EQ(table_.Get(-1), "");
  EXPECT_EQ(table_.Find("beta"), -1);
  EXPECT_EQ(table_.Find("alpha"), 0);
  // The last string loses its terminator: it ends at the heap's record count.
  table_.heap().UnitAt(table_.heap().Count() - 1)[0] = 'X';
  table_.offsets().SetEntry(1, 6);
  EXPECT_EQ(table_.Get(1), "betaX");
  // Holds answers as Get does, for prefixes, extensions, strings without a terminator and ids
  // outside the table.
  for (const int32_t id : {-1, 0, 1, 7}) {
    for (const char* text : {"", "alpha", "alph", "alphaX", "beta", "betaX", "betaXY"}) {
      EXPECT_EQ(table_.Holds(id, text), table_.Get(id) == text) << id << " " << text;
    }
  }
  table_.index().SetEntry(0, 0xFFFFFFFF);  // an id outside the table reads as ""
  EXPECT_GE(table_.Add("gamma"), 0);
}

// A string that does not fit and whose heap cannot grow is not half-added.
TEST_F(StringTableTest, AddThatCannotGrowTheHeapAddsNothing) {
  std::string filler(65017 - 10, 'f');
  ASSERT_EQ(table_.Add(filler), 0);
  ASSERT_EQ(table_.Add("x"), 1);
  prompter_.QueueAnswer(PromptAnswer::kCancel);
  auto calls = std::make_shared<int>(0);
  {
    ScopedFaultHook hook([calls](MappedFileStep step, const std::string&) {
      return step == MappedFileStep::kResize && (*calls)++ == 0 ? ENOSPC : 0;
    });
    EXPECT_EQ(table_.Add("a string longer than the room left"), -1);
  }
  EXPECT_EQ(prompter_.messages().size(), 1u);
  EXPECT_EQ(table_.Count(), 2);
  EXPECT_EQ(table_.index().Count(), 2);
  table_.Close();
  ASSERT_TRUE(table_.OpenOrCreate(path_, 0));
  EXPECT_EQ(table_.Find("x"), 1);
  EXPECT_EQ(table_.Add("a string longer than the room left"), 2);
  EXPECT_EQ(table_.Get(2), "a string longer than the room left");
}

TEST_F(StringTableTest, ClosedTableFindsAndAddsNothing) {
  table_.Close();
  EXPECT_EQ(table_.Find("a"), -1);
  EXPECT_EQ(table_.Add("a"), -1);
  EXPECT_EQ(table_.Get(0), "");
  EXPECT_TRUE(prompter_.messages().empty());
}

}  // namespace
}  // namespace velmora
