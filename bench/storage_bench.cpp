// Table engine benchmarks: appends (amortised over growth steps), string-table lookups and
// additions, and sorted-index searches, on tables of a million entries. Lookups read the mapped
// files in place; an addition to a string table pays one block move of the sorted index.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "storage/database_keys.h"
#include "storage/index_order.h"
#include "storage/indexed_table.h"
#include "storage/sorted_index.h"
#include "storage/string_table.h"
#include "storage/table_file.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

constexpr int32_t kMillion = 1'000'000;

ScriptedPrompter& Prompter() {
  static ScriptedPrompter prompter;
  return prompter;
}

testing::TempDir& Dir() {
  static testing::TempDir dir;
  return dir;
}

std::string ResourceName(int32_t i) {
  char text[40];
  std::snprintf(text, sizeof text, "/site/page-%07d.html", i);
  return text;
}

// A string table of a million resource paths, added in sorted order (no index moves).
StringTable& MillionStrings() {
  static std::unique_ptr<StringTable> table = [] {
    auto t = std::make_unique<StringTable>(Prompter());
    if (!t->Create(Dir() / "Strings", 0)) std::abort();
    for (int32_t i = 0; i < kMillion; ++i) t->Add(ResourceName(i));
    return t;
  }();
  return *table;
}

// A million hourly records, one per hour, with their index by hour.
RecordTable<HourlyRecord>& MillionHours() {
  static std::unique_ptr<RecordTable<HourlyRecord>> table = [] {
    auto t = std::make_unique<RecordTable<HourlyRecord>>(Prompter(), 1);
    if (!t->Create(Dir() / "Hourly", 0)) std::abort();
    for (int32_t i = 0; i < kMillion; ++i) {
      HourlyRecord r;
      r.hour.set(uint64_t(i) * kTicksPerHour);
      const int32_t n = t->Append(r);
      t->index(1).SetEntry(t->index(1).Append(), static_cast<uint32_t>(n));
    }
    return t;
  }();
  return *table;
}

void BM_Append4(benchmark::State& state) {
  TableFile table(Prompter(), UnitSize::k4);
  if (!table.Create(Dir() / "Append4", 0)) std::abort();
  uint32_t value = 0;
  for (auto _ : state) {
    if (table.Count() == kMillion) {
      state.PauseTiming();
      table.Close();
      if (!table.Create(Dir() / "Append4", 0)) std::abort();
      state.ResumeTiming();
    }
    table.SetEntry(table.Append(), ++value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Append4);

void BM_AppendSessionRecord(benchmark::State& state) {
  RecordTable<SessionRecord> table(Prompter(), 0);
  if (!table.Create(Dir() / "AppendSessions", 0)) std::abort();
  SessionRecord visit;
  for (auto _ : state) {
    if (table.Count() == kMillion) {
      state.PauseTiming();
      table.Close();
      if (!table.Create(Dir() / "AppendSessions", 0)) std::abort();
      state.ResumeTiming();
    }
    visit.visitor_address++;
    benchmark::DoNotOptimize(table.Append(visit));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendSessionRecord);

// Keys looked up in turn, made before timing starts.
std::vector<std::string> LookupKeys(uint32_t seed, const std::string& suffix) {
  std::mt19937 rng(seed);
  std::vector<std::string> keys(4096);
  for (std::string& key : keys) key = ResourceName(static_cast<int32_t>(rng() % kMillion)) + suffix;
  return keys;
}

void BM_StringFindHit(benchmark::State& state) {
  StringTable& table = MillionStrings();
  const std::vector<std::string> keys = LookupKeys(1, "");
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(table.Find(keys[i++ % keys.size()]));
}
BENCHMARK(BM_StringFindHit);

void BM_StringFindMiss(benchmark::State& state) {
  StringTable& table = MillionStrings();
  const std::vector<std::string> keys = LookupKeys(2, "?q");
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(table.Find(keys[i++ % keys.size()]));
}
BENCHMARK(BM_StringFindMiss);

// A new string at a random place: a search plus the block move of the index behind it.
void BM_StringAddRandom(benchmark::State& state) {
  StringTable& table = MillionStrings();
  std::mt19937 rng(3);
  int serial = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string key =
        ResourceName(static_cast<int32_t>(rng() % kMillion)) + "#" + std::to_string(++serial);
    state.ResumeTiming();
    benchmark::DoNotOptimize(table.Add(key));
  }
}
BENCHMARK(BM_StringAddRandom)->Iterations(2000);

// A new string that sorts last, as in-order names do: no block move.
void BM_StringAddAtEnd(benchmark::State& state) {
  StringTable& table = MillionStrings();
  int serial = 0;
  char key[40];
  for (auto _ : state) {
    std::snprintf(key, sizeof key, "/zz/%09d", ++serial);
    benchmark::DoNotOptimize(table.Add(key));
  }
}
BENCHMARK(BM_StringAddAtEnd)->Iterations(200000);

void BM_SearchIndex(benchmark::State& state) {
  RecordTable<HourlyRecord>& hours = MillionHours();
  const auto mode = static_cast<SearchMode>(state.range(0));
  auto key_of = HourlyHourKey(hours);
  std::mt19937_64 rng(4);
  for (auto _ : state) {
    const uint64_t key = (rng() % (uint64_t(kMillion) * 2)) * (kTicksPerHour / 2);
    benchmark::DoNotOptimize(SearchIndex(hours.index(1), CompareKeyWith(key, key_of), mode));
  }
}
BENCHMARK(BM_SearchIndex)->Arg(0)->Arg(1)->Arg(2);

// The common case of the time indexes: records arrive in time order and stay at the end.
void BM_TimeIndexInOrder(benchmark::State& state) {
  RecordTable<SpiderHitRecord> hits(Prompter(), 1);
  if (!hits.Create(Dir() / "Spiders", 0)) std::abort();
  SpiderHitRecord hit;
  uint64_t clock = 0;
  for (auto _ : state) {
    if (hits.Count() == kMillion) {
      state.PauseTiming();
      hits.Close();
      if (!hits.Create(Dir() / "Spiders", 0)) std::abort();
      state.ResumeTiming();
    }
    hit.time.set(clock += 3);
    const int32_t n = hits.Append(hit);
    benchmark::DoNotOptimize(
        AddIndexEntry(hits.index(1), static_cast<uint32_t>(n), SpiderTimeKey(hits)));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TimeIndexInOrder);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
