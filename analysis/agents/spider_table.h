// The spider list: every known robot as one row, numbered from 0 in list order. The row number
// is what a user-agent record stores as its spider index, so rows are only ever appended: the
// first 194 rows are the original list, later rows add today's crawlers behind it.
//
// A row recognises a lower-cased user agent t when
//   - it has an exact text and t equals it, or
//   - t contains pattern A and, when the row has one, pattern A2 as well, or
//   - t contains pattern B and, when the row has one, pattern B2 as well.
// Rows are tried in order and the first that recognises t wins. Every pattern is lower case,
// because the test always runs on the lower-cased copy of the text.
#pragma once

#include <span>
#include <string_view>

namespace velmora {

struct SpiderRow {
  std::string_view name = {};   // shown in reports
  std::string_view a = {};      // identifying substring; empty when the row has none
  std::string_view a2 = {};     // must also occur when `a` matched; empty means `a` suffices
  std::string_view b = {};      // alternative identifying substring
  std::string_view b2 = {};     // second substring for `b`, as `a2` for `a`
  std::string_view exact = {};  // the whole lower-cased text must equal it
};

// The original list ends with this many rows; today's crawlers follow it.
inline constexpr int kOriginalSpiderRows = 194;

// Every row, in list order.
std::span<const SpiderRow> SpiderRows();

// How many rows the list has (the original ones and the appended ones).
int SpiderCount();

// The name of row `index`; empty for an index outside the list.
std::string_view SpiderName(int index);

// The first row that recognises the lower-cased user agent `lowered`, or -1 for a human visitor.
int RecognizeSpider(std::string_view lowered);

}  // namespace velmora
