#include "ui/web/export_files.h"

#include <filesystem>
#include <system_error>

#include "core/ascii.h"

namespace velmora::web {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> ContentTypeOf(const fs::path& file) {
  const std::string extension = file.extension().string();
  if (AsciiEqualsIgnoreCase(extension, ".htm") || AsciiEqualsIgnoreCase(extension, ".html")) {
    return "text/html";
  }
  if (AsciiEqualsIgnoreCase(extension, ".png")) return "image/png";
  if (AsciiEqualsIgnoreCase(extension, ".gif")) return "image/gif";
  return std::nullopt;
}

}  // namespace

std::optional<ExportFile> FindExportFile(const std::string& export_folder,
                                         std::string_view relative) {
  if (relative.empty() || relative.find('\0') != std::string_view::npos) return std::nullopt;
  std::error_code ec;
  const fs::path base = fs::canonical(export_folder, ec);
  if (ec) return std::nullopt;
  const fs::path file = fs::canonical(base / fs::path(relative).relative_path(), ec);
  if (ec) return std::nullopt;
  const std::string inside = base.string() + "/";
  if (file.string().compare(0, inside.size(), inside) != 0) return std::nullopt;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  std::optional<std::string> type = ContentTypeOf(file);
  if (!type) return std::nullopt;
  return ExportFile{file.string(), std::move(*type)};
}

}  // namespace velmora::web
