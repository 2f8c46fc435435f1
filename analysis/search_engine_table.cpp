#include "analysis/search_engine_table.h"

namespace velmora {

int EngineCount() { return static_cast<int>(SearchEngineRows().size()); }

std::string_view EngineName(int row) {
  if (row <= 0 || row >= EngineCount()) return {};
  return SearchEngineRows()[static_cast<size_t>(row)].name;
}

int FindEngineByDomain(std::string_view domain) {
  const std::span<const SearchEngineRow> rows = SearchEngineRows();
  for (size_t row = 1; row < rows.size(); ++row) {
    for (std::string_view host : rows[row].hosts) {
      if (host.empty()) break;
      if (domain.find(host) != std::string_view::npos) return static_cast<int>(row);
    }
  }
  return 0;
}

}  // namespace velmora
