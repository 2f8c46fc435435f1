#include "analysis/visit_lists/visit_list_cache.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "analysis/visit_lists/visit_list_model_testing.h"
#include "analysis/visit_lists/visit_lists.h"
#include "platform/prompter.h"
#include "storage/workspace_database.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using K = VisitListKind;

// A created database with `visits` visits whose lists are all -1.
class VisitListCacheTest : public ::testing::Test {
 protected:
  VisitListCacheTest() : db_(prompter_, dir_.str()) {}
  void SetUp() override { ASSERT_TRUE(db_.Create()); }
  void TearDown() override {
    db_.Release();
    db_.CloseNow();
  }

  void AddVisits(int32_t visits) {
    for (int32_t i = 0; i < visits; ++i) {
      ASSERT_GE(db_.session_details().Append(SessionDetailRecord{}), 0);
    }
  }
  int32_t Handle(int32_t visit, K kind) {
    return db_.session_details().Get(visit).*VisitListHandleField(kind);
  }
  void SetHandle(int32_t visit, K kind, int32_t handle) {
    SessionDetailRecord d = db_.session_details().Get(visit);
    d.*VisitListHandleField(kind) = handle;
    db_.session_details().Set(visit, d);
  }
  std::vector<int32_t> Stored(int32_t visit, K kind) {
    SequenceTable& table = kind == K::kDownloads ? db_.downloads()
                           : kind == K::kImages  ? db_.images()
                           : kind == K::kErrors  ? db_.errors()
                                                 : db_.pages();
    const int32_t handle = Handle(visit, kind);
    return handle < 0 ? std::vector<int32_t>{} : table.Get(handle).ToVector();
  }

  testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_;
};

TEST_F(VisitListCacheTest, HandlesNameSlotsDuringTheRunAndSequencesAfterIt) {
  AddVisits(3);
  auto lists = BeginVisitLists(db_);
  AddToVisitList(*lists, 1, K::kDownloads, 7);
  AddToVisitList(*lists, 2, K::kDownloads, 9);
  EXPECT_EQ(Handle(1, K::kDownloads), -2);
  EXPECT_EQ(Handle(2, K::kDownloads), -3);
  EXPECT_EQ(Handle(0, K::kDownloads), -1);
  EXPECT_EQ(db_.downloads().Count(), 0);  // nothing is written while lists are held
  FlushVisitLists(lists);
  EXPECT_EQ(lists, nullptr);
  EXPECT_THAT(Stored(1, K::kDownloads), ElementsAre(1, 7));
  EXPECT_THAT(Stored(2, K::kDownloads), ElementsAre(1, 9));
  EXPECT_EQ(Handle(0, K::kDownloads), -1);
  FlushVisitLists(lists);  // no caches: nothing to do
}

TEST_F(VisitListCacheTest, FullRingEvictsItsOldestList) {
  AddVisits(1025);
  auto lists = BeginVisitLists(db_);
  for (int32_t v = 0; v < 1023; ++v) AddToVisitList(*lists, v, K::kErrors, v);
  EXPECT_EQ(lists->cache(K::kErrors).held(), 1023);
  EXPECT_EQ(db_.errors().Count(), 0);
  AddToVisitList(*lists, 1023, K::kErrors, 1);
  EXPECT_EQ(lists->cache(K::kErrors).held(), 1023);
  EXPECT_THAT(Stored(0, K::kErrors), ElementsAre(1, 0));  // visit 0 was written back
  EXPECT_LE(Handle(1, K::kErrors), -2);
  // Visit 0 comes back: its stored list is copied into a slot again.
  AddToVisitList(*lists, 0, K::kErrors, 3);
  EXPECT_LE(Handle(0, K::kErrors), -2);
  FlushVisitLists(lists);
  EXPECT_THAT(Stored(0, K::kErrors), ElementsAre(2, 0, 3));
  EXPECT_THAT(Stored(1023, K::kErrors), ElementsAre(1, 1));
  EXPECT_THAT(Stored(1, K::kErrors), ElementsAre(1, 1));
  EXPECT_EQ(Handle(1, K::kErrors), Handle(1023, K::kErrors));
}

TEST_F(VisitListCacheTest, HandlesLeftByAnUnflushedRunOrDamageStartANewList) {
  AddVisits(3);
  SetHandle(0, K::kDownloads, -2 - 5);      // a slot nobody holds in this run
  SetHandle(1, K::kDownloads, 1'000'000);   // a sequence the table does not have
  SetHandle(2, K::kDownloads, -2 - 70000);  // beyond the ring
  auto lists = BeginVisitLists(db_);
  AddToVisitList(*lists, 2, K::kDownloads, 1);  // takes slot 0
  SetHandle(0, K::kDownloads, -2);              // now names a slot held for visit 2
  for (int32_t v = 0; v < 3; ++v) AddToVisitList(*lists, v, K::kDownloads, 8);
  FlushVisitLists(lists);
  EXPECT_THAT(Stored(0, K::kDownloads), ElementsAre(1, 8));
  EXPECT_THAT(Stored(1, K::kDownloads), ElementsAre(1, 8));
  EXPECT_THAT(Stored(2, K::kDownloads), ElementsAre(2, 1, 8));
}

TEST_F(VisitListCacheTest, NoListForNegativeNumbersOrMissingVisits) {
  AddVisits(1);
  auto lists = BeginVisitLists(db_);
  AddToVisitList(*lists, 0, K::kImages, -1);
  AddToVisitList(*lists, 5, K::kImages, 3);
  AddToVisitList(*lists, -1, K::kImages, 3);
  EXPECT_EQ(lists->cache(K::kImages).held(), 0);
  FlushVisitLists(lists);
  EXPECT_EQ(Handle(0, K::kImages), -1);
  EXPECT_EQ(db_.images().Count(), 0);
}

struct StreamShape {
  int32_t visits;
  int32_t requests;
  int32_t runs;      // the stream is split into this many parse runs
  bool full_path;    // which page form the runs build
  uint32_t numbers;  // resource numbers drawn from 0..numbers-1
};

// Random request streams: after the runs, every visit's stored lists equal those of an unlimited
// in-memory model, and equal lists share their sequence.
TEST_F(VisitListCacheTest, RingMatchesAnUnlimitedModel) {
  const StreamShape shapes[] = {
      {5, 3000, 1, true, 6},     {40, 5000, 3, false, 5},    {1023, 6000, 1, true, 4},
      {1024, 6000, 2, false, 4}, {1500, 12000, 1, false, 3}, {4000, 15000, 4, true, 8},
  };
  std::mt19937 random(99);
  int32_t base = 0;  // each shape gets visits of its own
  for (const StreamShape& shape : shapes) {
    SCOPED_TRACE(::testing::Message() << shape.visits << " visits, " << shape.runs << " runs");
    AddVisits(shape.visits);
    const K page_kind = shape.full_path ? K::kFullPathPages : K::kSummaryPages;
    const K kinds[] = {page_kind, K::kDownloads, K::kImages, K::kErrors};
    std::map<std::pair<int32_t, int>, std::vector<int32_t>> model;
    for (int32_t run = 0; run < shape.runs; ++run) {
      auto lists = BeginVisitLists(db_);
      for (int32_t i = 0; i < shape.requests / shape.runs; ++i) {
        // Recent visits come back more often, as real traffic does.
        const int32_t visit =
            base + static_cast<int32_t>(random() % 3 == 0 ? random() % shape.visits
                                                          : random() % std::min(shape.visits, 64));
        const K kind = kinds[random() % 4];
        const auto number = static_cast<int32_t>(random() % shape.numbers);
        AddToVisitList(*lists, visit, kind, number);
        model[{visit, static_cast<int>(kind)}].push_back(number);
        for (K k : kinds) ASSERT_LE(lists->cache(k).held(), 1023);
      }
      FlushVisitLists(lists);
    }
    std::map<std::pair<int, std::vector<int32_t>>, int32_t> sequence_of_list;
    for (int32_t visit = base; visit < base + shape.visits; ++visit) {
      for (K kind : kinds) {
        const auto it = model.find({visit, static_cast<int>(kind)});
        if (it == model.end()) {
          ASSERT_EQ(Handle(visit, kind), -1);
          continue;
        }
        const std::vector<int32_t> expected = testing::ModelListOf(kind, it->second);
        ASSERT_THAT(Stored(visit, kind), ElementsAreArray(expected)) << "visit " << visit;
        const auto [known, added] = sequence_of_list.try_emplace(
            {static_cast<int>(VisitListHandleField(kind) == &SessionDetailRecord::page_path
                                  ? 0
                                  : static_cast<int>(kind)),
             expected},
            Handle(visit, kind));
        ASSERT_EQ(known->second, Handle(visit, kind)) << "equal lists share a sequence";
      }
    }
    base += shape.visits;
  }
}

}  // namespace
}  // namespace velmora
