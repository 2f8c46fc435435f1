#include "reports/frame/report_cache.h"

#include <filesystem>
#include <system_error>

#include "core/workspace_layout.h"

namespace velmora {

namespace fs = std::filesystem;

void InvalidateReportCaches(std::string_view workspace_folder) {
  const fs::path reports = WorkspacePath(workspace_folder, kReportsFolder);
  std::error_code ec;
  for (fs::directory_iterator it(reports, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind_ec;
    // A link to a folder is removed as the link it is; a folder is somebody else's.
    if (it->is_symlink(kind_ec) || !it->is_directory(kind_ec)) {
      std::error_code remove_ec;
      fs::remove(it->path(), remove_ec);
    }
  }
}

}  // namespace velmora
