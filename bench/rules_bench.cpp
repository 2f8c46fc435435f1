// Resource rules and log filters under hostile and ordinary input: file masks built to make a
// backtracking matcher blow up ("*a*a*a...*b", runs of '*' and '?') over URLs up to the
// 2,048-character field limit, the rules of a new workspace over ordinary paths, a long list
// of masks that never match, and a list of filters testing long texts. No case may grow faster
// than mask length times URL length: the star-then-literal case is that bound itself.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "analysis/rules/log_filters.h"
#include "analysis/rules/network_text.h"
#include "analysis/rules/resource_rules.h"
#include "parsing/records/default_resource_rules.h"
#include "parsing/records/log_record.h"
#include "platform/file_mask.h"

namespace velmora {
namespace {

// "*a*a...*a*b": every star may take any run of a's, and the final b never comes.
std::string AlternatingStars(size_t length) {
  std::string mask;
  while (mask.size() + 4 <= length) mask += "*a";
  return mask + "*b";
}

void BM_MatchAlternatingStars(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::string mask = AlternatingStars(n);
  const std::string url = "/" + std::string(n - 1, 'a');
  for (auto _ : state) benchmark::DoNotOptimize(MatchFileMask(mask, url));
  state.SetComplexityN(static_cast<int64_t>(n));
}
BENCHMARK(BM_MatchAlternatingStars)->RangeMultiplier(2)->Range(64, 2048)->Complexity();

void BM_MatchOnlyStars(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::string mask(n, '*');
  const std::string url = "/" + std::string(n - 1, 'x');
  for (auto _ : state) benchmark::DoNotOptimize(MatchFileMask(mask + "y", url));
  state.SetComplexityN(static_cast<int64_t>(n));
}
BENCHMARK(BM_MatchOnlyStars)->RangeMultiplier(2)->Range(64, 2048)->Complexity();

// "*?*?*?...x" against a URL without x: every '?' consumes, every '*' may retry.
void BM_MatchStarsAndQuestionMarks(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  std::string mask;
  while (mask.size() + 3 <= n) mask += "*?";
  mask += "x";
  const std::string url = "/" + std::string(n - 1, 'q');
  for (auto _ : state) benchmark::DoNotOptimize(MatchFileMask(mask, url));
  state.SetComplexityN(static_cast<int64_t>(n));
}
BENCHMARK(BM_MatchStarsAndQuestionMarks)->RangeMultiplier(2)->Range(64, 2048)->Complexity();

// The matcher's true worst case: one star, then a literal that fails only at its last character,
// so the star retries from every position and each retry compares almost the whole literal.
// Quadratic, and bounded by the field limits.
void BM_MatchStarThenLongLiteral(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::string mask = "*" + std::string(n / 2, 'a') + "b";
  const std::string url = "/" + std::string(n - 1, 'a');
  for (auto _ : state) benchmark::DoNotOptimize(MatchFileMask(mask, url));
  state.SetComplexityN(static_cast<int64_t>(n));
}
BENCHMARK(BM_MatchStarThenLongLiteral)
    ->RangeMultiplier(2)
    ->Range(64, 2048)
    ->Complexity(benchmark::oNSquared);

std::vector<ResourceMask> NewWorkspaceMasks() {
  std::vector<ResourceMask> masks;
  for (const ResourceMaskEntry& e : DefaultResourceMaskEntries()) {
    masks.push_back({std::string(e.mask), e.request_class, e.group});
  }
  return masks;
}

// The ordinary case: the fifteen masks of a new workspace over a mix of paths.
void BM_NewWorkspaceRules(benchmark::State& state) {
  const std::vector<ResourceMask> masks = NewWorkspaceMasks();
  const std::vector<std::string> urls = {
      "/index.html",          "/images/header/logo.gif", "/news/2002/12/05/story.asp",
      "/downloads/setup.exe", "/scripts/root.exe",       "/favicon.ico",
      "/css/site.css",        "/forum/viewtopic.php",
  };
  const CompiledResourceRules rules(masks);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(rules.ClassOf(urls[i++ % urls.size()]));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NewWorkspaceRules);

// Many rules, none matching: every mask is tried on every request.
void BM_ManyUnmatchedRules(benchmark::State& state) {
  std::vector<ResourceMask> masks;
  for (int i = 0; i < state.range(0); ++i) {
    masks.push_back({"*.ext" + std::to_string(i) + "; /dir" + std::to_string(i) + "/*", 0x101, i});
  }
  const std::string url = "/some/fairly/ordinary/path/to/a/page.html";
  const CompiledResourceRules rules(masks);
  for (auto _ : state) benchmark::DoNotOptimize(rules.ClassOf(url));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManyUnmatchedRules)->RangeMultiplier(4)->Range(16, 4096)->Complexity();

// A rule of 2,048 hostile characters ahead of the default rules, over a 2,048-character URL.
void BM_HostileRuleAtFieldLimit(benchmark::State& state) {
  std::vector<ResourceMask> masks = {{AlternatingStars(2048), 0x101, 0}};
  for (const ResourceMask& m : NewWorkspaceMasks()) masks.push_back(m);
  const std::string url = "/" + std::string(2047, 'a');
  const CompiledResourceRules rules(masks);
  for (auto _ : state) benchmark::DoNotOptimize(rules.ClassOf(url));
}
BENCHMARK(BM_HostileRuleAtFieldLimit);

// Filters that each test Includes on the user agent and referrer and never match.
void BM_LogFilters(benchmark::State& state) {
  std::vector<LogFilter> filters(static_cast<size_t>(state.range(0)));
  for (size_t i = 0; i < filters.size(); ++i) {
    filters[i].address_operation = kFilterAny;
    filters[i].user_agent_operation = kFilterIncludes;
    filters[i].user_agent_text = "NoSuchBot/" + std::to_string(i);
    filters[i].referrer_operation = kFilterNotIncludes;
    filters[i].referrer_text = "example";
    filters[i].continue_with_others = 1;
  }
  const LogFilterSet set(filters);
  LogRecord record;
  record.user_agent.assign(std::string(2000, 'M'));
  record.referrer.assign("http://www.example.com/" + std::string(1900, 'r'));
  record.uri_stem.assign("/index.html");
  for (auto _ : state) benchmark::DoNotOptimize(set.Apply(record));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LogFilters)->RangeMultiplier(4)->Range(1, 256)->Complexity();

void BM_ParseNetworkText(benchmark::State& state) {
  const std::string long_digits = std::string(2048, '9') + ".1.1.1/77";
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseNetworkText("10.1.0.0/16"));
    benchmark::DoNotOptimize(ParseNetworkText(long_digits));
  }
}
BENCHMARK(BM_ParseNetworkText);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
