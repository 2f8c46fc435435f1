#include "analysis/referrers/referrer_store.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "analysis/referrers/referrer_domain.h"
#include "platform/prompter.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

constexpr std::string_view kServerNames = "www.example.com example.com";

class ReferrerStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.SetExitHook([](int) {});
    ASSERT_TRUE(db_.Create());
  }
  void TearDown() override { db_.Release(); }

  // What the request processor does for a new referrer text: file its domain, append the text
  // and its unanalysed record, then analyse it.
  RefererRecord Analyse(std::string_view referrer) {
    const int32_t domain = db_.ref_domains().FindOrAdd(ExtractReferrerDomain(referrer));
    const int32_t id = db_.referer_strings().Add(referrer);
    EXPECT_EQ(db_.referers().Append(RefererRecord{.domain = domain}), id);
    EXPECT_TRUE(AnalyseReferrer(db_, id, kServerNames));
    return db_.referers().Get(id);
  }

  std::vector<std::string> Words(int32_t combination) {
    std::vector<std::string> words;
    for (int32_t id : db_.search_phrases().Get(combination).ToVector()) {
      words.emplace_back(db_.search_words().Get(id));
    }
    return words;
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
};

// Without a counted word nothing is filed under search words or phrases, even for an engine.
TEST_F(ReferrerStoreTest, NoWordsLeaveTheSearchFieldsUnset) {
  struct Case {
    std::string_view referrer;
    ReferrerKind kind;
    uint32_t engine;
  };
  const Case cases[] = {
      {"http://www.example.com/search?q=apple+pie", ReferrerKind::kOwnSite, 0},
      {"-", ReferrerKind::kNoReferrer, 0},
      {"http://localhost/", ReferrerKind::kNoReferrer, 0},
      {"http://www.other.org/", ReferrerKind::kOtherSite, 0},
      {"https://www.google.com/", ReferrerKind::kOtherSite, 0},
      {"http://www.google.com/search?q=to+be+or", ReferrerKind::kSearchEngine, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.referrer);
    const RefererRecord record = Analyse(c.referrer);
    EXPECT_EQ(record.kind, static_cast<uint32_t>(c.kind));
    EXPECT_EQ(record.search_engine, c.engine);
    EXPECT_EQ(record.search_phrase, -1);
    EXPECT_EQ(record.exact_phrase, -1);
  }
  EXPECT_EQ(db_.search_words().Count(), 0);
  EXPECT_EQ(db_.search_phrases_exact().Count(), 0);
  EXPECT_EQ(db_.search_phrases().Count(), 0);
}

TEST_F(ReferrerStoreTest, SameWordsShareACombinationButNotAPhrase) {
  const RefererRecord first = Analyse("http://www.google.com/search?q=red+apple");
  const RefererRecord second = Analyse("http://search.yahoo.com/search?p=apple+red");
  const RefererRecord third = Analyse("http://www.google.com/search?q=red+apple&hl=de");
  EXPECT_EQ(first.search_engine, 2u);
  EXPECT_EQ(second.search_engine, 1u);
  EXPECT_EQ(first.search_phrase, second.search_phrase);
  EXPECT_NE(first.exact_phrase, second.exact_phrase);
  EXPECT_EQ(first.exact_phrase, third.exact_phrase);
  EXPECT_EQ(db_.search_phrases_exact().Get(first.exact_phrase), "red apple");
  EXPECT_EQ(db_.search_phrases_exact().Get(second.exact_phrase), "apple red");
  EXPECT_EQ(db_.search_words().Count(), 2);
  EXPECT_EQ(db_.search_phrases().Count(), 1);
}

TEST_F(ReferrerStoreTest, CombinationIsAscendingWithRepeats) {
  Analyse("http://www.google.com/search?q=zebra+apple");  // numbers zebra 0, apple 1
  const RefererRecord record = Analyse("http://www.google.com/search?q=apple+Zebra+zebra+apple");
  const std::vector<int32_t> ids = db_.search_phrases().Get(record.search_phrase).ToVector();
  EXPECT_EQ(ids, (std::vector<int32_t>{0, 1, 1, 2}));
  EXPECT_EQ(Words(record.search_phrase),
            (std::vector<std::string>{"zebra", "apple", "apple", "Zebra"}));
  // The phrase keeps its case, and Zebra is a word of its own.
  EXPECT_EQ(db_.search_phrases_exact().Get(record.exact_phrase), "apple Zebra zebra apple");
  EXPECT_EQ(db_.search_words().Count(), 3);
}

TEST_F(ReferrerStoreTest, UnknownRecordIsRefused) {
  EXPECT_FALSE(AnalyseReferrer(db_, 0, kServerNames));
  EXPECT_FALSE(AnalyseReferrer(db_, -1, kServerNames));
  Analyse("-");
  EXPECT_FALSE(AnalyseReferrer(db_, 1, kServerNames));
  EXPECT_TRUE(prompter_.messages().empty());
}

}  // namespace
}  // namespace velmora
