// The report catalogue: every report a workspace offers, as the tree the report view shows.
// Rows are in tree order (a node's children follow it, one level deeper); a group-only row has
// no report. Each report has a stable id (also its export file name), a title, an icon of the
// report-tree images and, for a ranked list, the name of the cached result it reads. The three
// search families each have a parent for all engines and fifteen per-engine children that differ
// from it only in their engine filter.
//
// The catalogue is built once, on first use, and never changes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

enum class ReportKind : uint8_t {
  kGroup,       // a tree node without a report
  kOwnBuilder,  // computes its rows itself: the summary, visits and time reports
  kCachedList,  // a ranked list read from a cached result
};

struct ReportDef {
  std::string title;
  std::string id;
  int32_t level = 0;           // 0 for a root
  int32_t icon = 0;            // index into the report-tree images
  uint32_t engine_filter = 0;  // 0: every search engine; else its row in the engine table
  ReportKind kind = ReportKind::kGroup;
  std::string_view cache;  // the cached result a list reads; empty otherwise
};

// Every node of the tree, in order: 146 of them.
std::span<const ReportDef> ReportTree();
// The reports in catalogue order (the tree without its group-only nodes).
std::span<const ReportDef* const> CatalogueReports();
// The report with `id`; null when none has it.
const ReportDef* FindReport(std::string_view id);
// The report at `position` of CatalogueReports(); null outside.
const ReportDef* ReportAt(int32_t position);

// The engine rows of the per-engine children, in the order the families list them.
std::span<const uint32_t> FamilyEngines();

}  // namespace velmora
