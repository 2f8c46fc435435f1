#include "reports/frame/report_cache.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/workspace_layout.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(ReportCacheTest, StaleFilesGoFoldersAndWhatLinksPointToStay) {
  testing::TempDir dir;
  const fs::path reports = dir.path() / kReportsFolder;
  fs::create_directories(reports / "sub");
  fs::create_directories(dir.path() / "elsewhere");
  std::ofstream(reports / "visits_hd") << "cache";
  std::ofstream(reports / "sub/keep") << "x";
  std::ofstream(dir.path() / "elsewhere/target") << "x";
  fs::create_symlink(dir.path() / "elsewhere", reports / "link_to_folder");
  fs::create_symlink(dir.path() / "elsewhere/target", reports / "link_to_file");

  InvalidateReportCaches(dir.str());

  EXPECT_FALSE(fs::exists(reports / "visits_hd"));
  EXPECT_FALSE(fs::is_symlink(reports / "link_to_folder"));
  EXPECT_FALSE(fs::is_symlink(reports / "link_to_file"));
  EXPECT_TRUE(fs::exists(reports / "sub/keep"));
  EXPECT_TRUE(fs::exists(dir.path() / "elsewhere/target"));
  InvalidateReportCaches((dir.path() / "no-such-workspace").string());  // nothing to delete
}

}  // namespace
}  // namespace velmora
