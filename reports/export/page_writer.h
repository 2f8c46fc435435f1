// Writing an exported page: <page>.htm with its folder <page>.files/ holding the eight icons
// (written anew each time) and one chart picture per report that has a chart. Reports are added
// one at a time, so a long combined export can show progress and stop between two of them.
//
// Drawing and compressing a chart costs more than building most reports, so charts are drawn on
// other threads while the next report is built; Finish waits for them. Each picture depends on
// its chart data alone, so the files are the same however the work is spread.
#pragma once

#include <cstddef>
#include <deque>
#include <fstream>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include "core/result.h"
#include "reports/export/html_page.h"
#include "reports/frame/report_model.h"

namespace velmora {

// Draws `chart` as a PNG file of `width` pixels at `path`; false when it could not.
using ChartWriter = std::function<bool(const ChartData& chart, const std::string& path, int width)>;

inline constexpr std::string_view kCantSaveReport = "Can't save report";

class PageWriter {
 public:
  // `page_path` ends in .htm or .html; `chart_width` is three quarters of the screen width.
  // `chart_threads` charts are drawn at a time beside the caller (0: one per processor).
  PageWriter(std::string page_path, int chart_width, ChartWriter chart_writer,
             size_t chart_threads = 0);
  ~PageWriter();

  // Creates the page and its folder, writes the icons and the header. On failure nothing of
  // the icons is left half written.
  Status Begin(const PageHead& head);
  // Writes one report's chart and body.
  Status Add(const ReportModel& model, std::optional<int32_t> limit);
  // Waits for the charts, then writes the footer and closes the page.
  Status Finish();

  const std::string& page_path() const { return page_path_; }
  // "<page>.files", next to the page.
  const std::string& files_folder() const { return files_folder_; }

 private:
  Status Failed(const std::string& detail);
  // Waits for the oldest chart still being drawn; false when it could not be written.
  bool WaitForOldestChart();

  std::string page_path_;
  std::string files_folder_;
  std::string files_prefix_;  // as the page refers to it: "<page name>.files/"
  int chart_width_;
  ChartWriter chart_writer_;
  size_t chart_threads_;
  struct PendingChart {
    std::string name;
    std::future<bool> written;
  };
  std::deque<PendingChart> charts_;
  std::string failed_chart_;
  std::ofstream out_;
};

}  // namespace velmora
