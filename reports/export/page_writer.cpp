#include "reports/export/page_writer.h"

#include <algorithm>
#include <filesystem>
#include <thread>

#include "reports/export/export_icons.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string StemOf(const std::string& path) { return fs::path(path).stem().string(); }

}  // namespace

PageWriter::PageWriter(std::string page_path, int chart_width, ChartWriter chart_writer,
                       size_t chart_threads)
    : page_path_(std::move(page_path)),
      chart_width_(chart_width),
      chart_writer_(std::move(chart_writer)),
      chart_threads_(chart_threads != 0
                         ? chart_threads
                         : std::max<size_t>(1, std::thread::hardware_concurrency())) {
  const fs::path page(page_path_);
  files_folder_ = (page.parent_path() / (page.stem().string() + ".files")).string();
  files_prefix_ = StemOf(page_path_) + ".files/";
}

PageWriter::~PageWriter() {
  while (!charts_.empty()) WaitForOldestChart();
}

bool PageWriter::WaitForOldestChart() {
  PendingChart oldest = std::move(charts_.front());
  charts_.pop_front();
  const bool written = oldest.written.get();
  if (!written && failed_chart_.empty()) failed_chart_ = oldest.name;
  return written;
}

Status PageWriter::Failed(const std::string& detail) {
  out_.close();
  return Error{0, std::string(kCantSaveReport) + ": " + detail};
}

Status PageWriter::Begin(const PageHead& head) {
  std::error_code ec;
  const fs::path page(page_path_);
  if (!page.parent_path().empty()) fs::create_directories(page.parent_path(), ec);
  fs::create_directories(files_folder_, ec);
  if (!fs::is_directory(files_folder_)) return Failed("cannot create the folder " + files_folder_);
  for (int k = 0; k < kExportIconCount; ++k) {
    const std::string path = files_folder_ + "/" + std::to_string(k) + ".gif";
    const std::span<const uint8_t> bytes = ExportIcon(k);
    std::ofstream icon(path, std::ios::binary | std::ios::trunc);
    icon.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    icon.close();
    if (!icon) {
      fs::remove(path, ec);  // no half-written picture stays behind
      return Failed("cannot write " + path);
    }
  }
  out_.open(page_path_, std::ios::binary | std::ios::trunc);
  if (!out_) return Failed("cannot create " + page_path_);
  out_ << PageHeader(head);
  return out_ ? Status{} : Failed("cannot write " + page_path_);
}

Status PageWriter::Add(const ReportModel& model, std::optional<int32_t> limit) {
  BodyLayout layout;
  layout.files_prefix = files_prefix_;
  layout.table_width = chart_width_;
  layout.limit = limit;
  if (model.chart && !model.chart->items.empty() && chart_writer_) {
    const std::string name = model.id + "_graph.png";
    while (charts_.size() >= chart_threads_) WaitForOldestChart();
    if (!failed_chart_.empty()) return Failed("cannot write the chart " + failed_chart_);
    charts_.push_back({name, std::async(std::launch::async,
                                        [writer = chart_writer_, chart = *model.chart,
                                         path = files_folder_ + "/" + name, width = chart_width_] {
                                          return writer(chart, path, width);
                                        })});
    layout.chart = name;
  }
  out_ << ReportBody(model, layout);
  return out_ ? Status{} : Failed("cannot write " + page_path_);
}

Status PageWriter::Finish() {
  while (!charts_.empty()) WaitForOldestChart();
  if (!failed_chart_.empty()) return Failed("cannot write the chart " + failed_chart_);
  out_ << PageFooter();
  out_.close();
  return out_ ? Status{} : Failed("cannot write " + page_path_);
}

}  // namespace velmora
