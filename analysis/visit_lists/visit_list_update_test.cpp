#include "analysis/visit_lists/visit_list_update.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "analysis/visit_lists/visit_list_model_testing.h"

namespace velmora {
namespace {

using ::testing::ElementsAreArray;

constexpr int32_t A = 10, B = 20, C = 30, D = 40;

// The list (count word included) after adding `numbers` one by one to an empty list.
std::vector<int32_t> Build(VisitListKind kind, const std::vector<int32_t>& numbers) {
  std::vector<int32_t> words;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i == 0) {
      StartVisitList(words, numbers[0]);
    } else {
      AddToList(kind, words, numbers[i]);
    }
  }
  return words;
}

struct ListCase {
  const char* name;
  VisitListKind kind;
  std::vector<int32_t> added;
  std::vector<int32_t> expected;  // count word first
};

TEST(VisitListUpdate, EachKindKeepsItsForm) {
  using K = VisitListKind;
  const ListCase cases[] = {
      {"summary A B A gives exit A, middle B", K::kSummaryPages, {A, B, A}, {3, A, B, A}},
      {"summary entry again keeps old exit in middle",
       K::kSummaryPages,
       {A, C, B, A},
       {4, A, B, C, A}},
      {"full path drops immediate repeats", K::kFullPathPages, {A, A, B, A}, {3, A, B, A}},
      {"full path keeps order", K::kFullPathPages, {C, B, A, B}, {4, C, B, A, B}},
      {"download set ascending", K::kDownloads, {C, A, B}, {3, A, B, C}},
      {"download set ignores a held number", K::kDownloads, {B, A, B, A}, {2, A, B}},
      {"image set inserts between", K::kImages, {A, D, C}, {3, A, C, D}},
      {"error set", K::kErrors, {0, 7, 3, 7, 0}, {3, 0, 3, 7}},
  };
  for (const ListCase& c : cases) {
    EXPECT_THAT(Build(c.kind, c.added), ElementsAreArray(c.expected)) << c.name;
  }
}

TEST(VisitListUpdate, StoredListsAreReadWithTheirTrueCount) {
  std::vector<int32_t> words;
  const int32_t stored_wrong_count[] = {9, A, B};
  LoadVisitList(words, stored_wrong_count);
  EXPECT_THAT(words, ElementsAreArray({2, A, B}));
  LoadVisitList(words, {});
  EXPECT_THAT(words, ElementsAreArray({0}));
  // An empty list takes its first entry in every form.
  for (auto kind :
       {VisitListKind::kSummaryPages, VisitListKind::kFullPathPages, VisitListKind::kDownloads}) {
    std::vector<int32_t> empty;
    AddToList(kind, empty, C);
    EXPECT_THAT(empty, ElementsAreArray({1, C}));
  }
}

TEST(VisitListUpdate, DamagedListsStayConsistent) {
  // Unsorted middles and repeated entries, as a damaged table could hand back.
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::vector<int32_t> words{0};
    const int length = static_cast<int>(random() % 8);
    for (int i = 0; i < length; ++i) words.push_back(static_cast<int32_t>(random() % 5));
    words[0] = static_cast<int32_t>(random() % 50);
    LoadVisitList(words, std::vector<int32_t>(words));
    for (int k = 0; k < kVisitListKinds; ++k) {
      std::vector<int32_t> copy = words;
      AddToList(static_cast<VisitListKind>(k), copy, static_cast<int32_t>(random() % 5));
      ASSERT_EQ(copy[0] + 1, static_cast<int32_t>(copy.size()));
    }
  }
}

TEST(VisitListUpdate, SummaryMatchesThePathItSummarises) {
  std::mt19937 random(2024);
  for (int round = 0; round < 5000; ++round) {
    std::vector<int32_t> pages(1 + random() % 12);
    const uint32_t distinct = 1 + random() % 6;
    for (int32_t& page : pages) page = static_cast<int32_t>(random() % distinct);
    ASSERT_EQ(Build(VisitListKind::kSummaryPages, pages), testing::SummaryOf(pages))
        << "round " << round;
  }
}

}  // namespace
}  // namespace velmora
