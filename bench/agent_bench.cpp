// User-agent and referrer analysis benchmarks over a realistic mix of distinct texts: the
// browsers, robots and tools of the sample-log generator, and its search-engine, other-site and
// own-site referrers. Each text is analysed as the request processor does it, once per distinct
// text, so the figures are texts per second.
//
// A row-by-row scan of the spider list (every pattern searched on its own) runs beside the
// one-pass recognition, to show what the pattern index saves as the list grows.
#include <benchmark/benchmark.h>

#include <set>
#include <string>
#include <vector>

#include "analysis/agents/spider_table.h"
#include "analysis/agents/user_agent.h"
#include "analysis/referrers/referrer_analysis.h"
#include "bench/loggen/random.h"
#include "bench/loggen/referrers.h"
#include "bench/loggen/user_agents.h"
#include "core/ascii.h"

namespace velmora {
namespace {

constexpr size_t kDistinctAgents = 5000;
constexpr size_t kDistinctReferrers = 20000;

// Browsers mostly, with every robot and tool of the generator mixed in, each text once.
const std::vector<std::string>& Agents() {
  static const std::vector<std::string> agents = [] {
    loggen::Random rng(7);
    std::set<std::string> distinct;
    for (const loggen::SpiderProfile& spider : loggen::Spiders()) distinct.emplace(spider.agent);
    for (std::string_view tool : loggen::ToolAgents()) distinct.emplace(tool);
    for (std::string_view scanner : loggen::ScannerAgents()) {
      if (!scanner.empty()) distinct.emplace(scanner);
    }
    while (distinct.size() < kDistinctAgents) distinct.insert(loggen::MakeBrowserAgent(rng));
    std::vector<std::string> out(distinct.begin(), distinct.end());
    // Shuffle so that neighbours differ, as new agents arrive in a log.
    for (size_t i = out.size(); i > 1; --i) std::swap(out[i - 1], out[rng.Below(i)]);
    return out;
  }();
  return agents;
}

const std::vector<std::string>& LoweredAgents() {
  static const std::vector<std::string> lowered = [] {
    std::vector<std::string> out;
    for (const std::string& agent : Agents()) out.push_back(AsciiLowered(agent));
    return out;
  }();
  return lowered;
}

// About one referrer in three from a search engine, the rest other sites and the own site.
const std::vector<std::string>& Referrers() {
  static const std::vector<std::string> referrers = [] {
    loggen::Random rng(11);
    std::set<std::string> distinct;
    while (distinct.size() < kDistinctReferrers) {
      std::string url;
      const uint32_t pick = rng.Below(100);
      if (pick < 35) {
        loggen::AppendSearchReferrer(rng, url);
      } else if (pick < 90) {
        loggen::AppendOtherSiteReferrer(rng, url);
      } else {
        const auto own = loggen::OwnHostVariants();
        url = own[rng.Below(static_cast<uint32_t>(own.size()))];
        url += "/page" + std::to_string(rng.Below(5000)) + ".html";
      }
      distinct.insert(std::move(url));
    }
    return std::vector<std::string>(distinct.begin(), distinct.end());
  }();
  return referrers;
}

template <class F>
void OverTexts(benchmark::State& state, const std::vector<std::string>& texts, F&& analyse) {
  size_t i = 0;
  for (auto _ : state) {
    analyse(texts[i]);
    if (++i == texts.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["distinct"] = static_cast<double>(texts.size());
}

// What a new user agent costs the request processor: classification and spider recognition.
void BM_ClassifyAndRecognize(benchmark::State& state) {
  OverTexts(state, Agents(), [](const std::string& text) {
    UserAgentClass c = ClassifyUserAgent(text);
    benchmark::DoNotOptimize(RecognizeSpider(c.lowered));
    benchmark::DoNotOptimize(c);
  });
}
BENCHMARK(BM_ClassifyAndRecognize);

void BM_ClassifyUserAgent(benchmark::State& state) {
  OverTexts(state, Agents(), [](const std::string& text) {
    UserAgentClass c = ClassifyUserAgent(text);
    benchmark::DoNotOptimize(c);
  });
}
BENCHMARK(BM_ClassifyUserAgent);

void BM_RecognizeSpider(benchmark::State& state) {
  OverTexts(state, LoweredAgents(),
            [](const std::string& lowered) { benchmark::DoNotOptimize(RecognizeSpider(lowered)); });
}
BENCHMARK(BM_RecognizeSpider);

// The same rule tried row by row, each pattern searched for separately.
int RecognizeRowByRow(std::string_view t) {
  const auto has = [t](std::string_view p) { return t.find(p) != std::string_view::npos; };
  const auto rows = SpiderRows();
  for (size_t r = 0; r < rows.size(); ++r) {
    const SpiderRow& row = rows[r];
    if (!row.exact.empty() && t == row.exact) return static_cast<int>(r);
    if (!row.a.empty() && has(row.a) && (row.a2.empty() || has(row.a2))) return static_cast<int>(r);
    if (!row.b.empty() && has(row.b) && (row.b2.empty() || has(row.b2))) return static_cast<int>(r);
  }
  return -1;
}

void BM_RecognizeSpiderRowByRow(benchmark::State& state) {
  for (const std::string& lowered : LoweredAgents()) {
    if (RecognizeRowByRow(lowered) != RecognizeSpider(lowered)) {
      state.SkipWithError("row-by-row and one-pass recognition disagree");
      return;
    }
  }
  OverTexts(state, LoweredAgents(), [](const std::string& lowered) {
    benchmark::DoNotOptimize(RecognizeRowByRow(lowered));
  });
}
BENCHMARK(BM_RecognizeSpiderRowByRow);

// A new referrer: its domain, own site, engine, term, phrase and words.
void BM_AnalyseReferrer(benchmark::State& state) {
  OverTexts(state, Referrers(), [](const std::string& url) {
    ReferrerInspection r = InspectReferrer(url, loggen::kOwnServerNames);
    benchmark::DoNotOptimize(r);
  });
}
BENCHMARK(BM_AnalyseReferrer);

}  // namespace
}  // namespace velmora

BENCHMARK_MAIN();
