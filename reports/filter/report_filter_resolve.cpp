#include "reports/filter/report_filter_resolve.h"

#include <algorithm>
#include <vector>

#include "analysis/countries/country_list.h"
#include "analysis/referrers/search_engine_table.h"
#include "core/ascii.h"

namespace velmora {
namespace {

bool IsWordBreak(char c) { return c == ' ' || c == '\t'; }

// The word combination of a typed phrase: every word's number, sorted; -1 when a word is not
// stored or there is no word.
int32_t ResolveSearchPhrase(WorkspaceDatabase& db, std::string_view phrase) {
  std::vector<int32_t> words;
  size_t i = 0;
  while (i < phrase.size()) {
    while (i < phrase.size() && IsWordBreak(phrase[i])) ++i;
    const size_t start = i;
    while (i < phrase.size() && !IsWordBreak(phrase[i])) ++i;
    if (i == start) break;
    const int32_t word = db.search_words().Find(phrase.substr(start, i - start));
    if (word < 0) return -1;
    words.push_back(word);
  }
  if (words.empty()) return -1;
  std::sort(words.begin(), words.end());
  return db.search_phrases().Find(words);
}

bool Resolvable(const FilterCondition& condition) {
  return condition.operation == static_cast<int32_t>(ConditionOperation::kEquals) ||
         condition.operation == static_cast<int32_t>(ConditionOperation::kNotEquals);
}

ResolvedCondition Resolved(WorkspaceDatabase& db, const FilterCondition& condition) {
  return ResolvedCondition{condition.target, condition.operation, ResolveCondition(db, condition)};
}

}  // namespace

int32_t SearchEngineByName(std::string_view name) {
  const int rows = EngineCount();
  for (int row = 1; row < rows; ++row) {
    if (AsciiEqualsIgnoreCase(EngineName(row), name)) return row;
  }
  return -1;
}

int32_t CountryByName(std::string_view name) {
  const uint16_t count = CountryCount();
  for (uint16_t index = 0; index < count; ++index) {
    if (AsciiEqualsIgnoreCase(CountryName(index), name)) return index;
  }
  return -1;
}

int32_t ResolveCondition(WorkspaceDatabase& db, const FilterCondition& condition) {
  if (!Resolvable(condition)) return -1;
  const std::string_view value = condition.value;
  switch (static_cast<ConditionTarget>(condition.target)) {
    case ConditionTarget::kReferrer:
      return db.referer_strings().Find(value);
    case ConditionTarget::kRefDomain:
      return db.ref_domains().Find(value);
    case ConditionTarget::kSearchEngine:
      return SearchEngineByName(value);
    case ConditionTarget::kSearchWord:
      return db.search_words().Find(value);
    case ConditionTarget::kSearchPhrase:
      return ResolveSearchPhrase(db, value);
    case ConditionTarget::kExactPhrase:
      return db.search_phrases_exact().Find(value);
    case ConditionTarget::kPage:
    case ConditionTarget::kDownload:
    case ConditionTarget::kImage:
      return db.resources().Find(value);
    case ConditionTarget::kCountry:
      return CountryByName(value);
  }
  return -1;
}

Result<ActiveReportFilter> PrepareReportFilter(WorkspaceDatabase& db, const FilterBarState& bar,
                                               std::span<const ReportFilter> saved_filters) {
  ActiveReportFilter active;
  active.show_non_visit = bar.show_non_visit != 0;
  if (!bar.ip_filter.empty()) active.address_filter = ParseNetworkText(bar.ip_filter);

  std::vector<FilterCondition> conditions;
  if (bar.filter_mode == kQuickFilter) {
    conditions.push_back(FilterCondition{bar.quick_target, bar.quick_operation, bar.quick_value});
  } else if (bar.filter_mode == kFullFilter) {
    const auto saved =
        std::find_if(saved_filters.begin(), saved_filters.end(),
                     [&bar](const ReportFilter& f) { return f.name == bar.selected_filter; });
    if (saved != saved_filters.end()) {
      conditions = saved->conditions;
      active.match_mode = saved->match_mode == kMatchAny ? kMatchAny : kMatchAll;
    }
  }

  const bool needs_database = std::any_of(conditions.begin(), conditions.end(), Resolvable);
  if (needs_database && !db.Open()) return Error{0, "Cannot open database"};
  for (const FilterCondition& condition : conditions) {
    active.conditions.push_back(Resolved(db, condition));
  }
  if (needs_database) db.Release();
  return active;
}

}  // namespace velmora
