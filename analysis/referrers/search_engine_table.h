// The search-engine table: row 0 is empty and stands for "no engine"; rows 1 on are the engines,
// tried in row order against a referrer's domain. The row number is stored in Referers records,
// so rows are only ever appended: rows 1 to 130 are the original table, later rows add today's
// engines behind it.
//
// An engine matches a domain that contains one of its host patterns (lower case, compared
// byte for byte). Its query markers are the texts after which the search term starts in the
// referrer (case-sensitive, usually "?name=" and "&name="), tried in order.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace velmora {

struct SearchEngineRow {
  std::string_view name = {};
  std::array<std::string_view, 3> hosts = {};    // the first empty one ends the list
  std::array<std::string_view, 7> markers = {};  // the first empty one ends the list
};

// The original table ends with this row; today's engines follow it.
inline constexpr int kOriginalEngineRows = 131;

// Every row, row 0 included.
std::span<const SearchEngineRow> SearchEngineRows();

// How many rows the table has, the empty row 0 included.
int EngineCount();

// The name of row `row`; empty for row 0 and for a row outside the table.
std::string_view EngineName(int row);

// The first engine (1 on) with a host pattern that `domain` contains; 0 for none.
int FindEngineByDomain(std::string_view domain);

}  // namespace velmora
