// Which names of the export folder the server hands out: pages and pictures inside it only.
#include "ui/web/export_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace velmora::web {
namespace {
namespace fs = std::filesystem;

TEST(ExportFilesTest, HandsOutPagesAndPicturesInsideTheFolderOnly) {
  testing::TempDir dir;
  const std::string folder = dir / "export";
  fs::create_directories(folder + "/All Reports.files");
  for (const char* name : {"All Reports.htm", "All Reports.files/0.gif",
                           "All Reports.files/traffic_graph.png", "notes.txt"}) {
    std::ofstream(folder + "/" + name) << "x";
  }
  std::ofstream(dir / "secret.htm") << "x";
  fs::create_symlink(dir / "secret.htm", folder + "/link.htm");
  fs::create_symlink(dir.str(), folder + "/up");

  const struct {
    const char* name;
    const char* type;  // nullptr: refused
  } cases[] = {
      {"All Reports.htm", "text/html"},
      {"All Reports.files/0.gif", "image/gif"},
      {"All Reports.files/traffic_graph.png", "image/png"},
      {"notes.txt", nullptr},
      {"../secret.htm", nullptr},
      {"All Reports.files/../../secret.htm", nullptr},
      {"/etc/passwd", nullptr},
      {"link.htm", nullptr},
      {"up/secret.htm", nullptr},
      {"All Reports.files", nullptr},
      {"missing.htm", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<ExportFile> file = FindExportFile(folder, c.name);
    ASSERT_EQ(file.has_value(), c.type != nullptr) << c.name;
    if (file) {
      EXPECT_EQ(file->content_type, c.type) << c.name;
    }
  }
  EXPECT_FALSE(FindExportFile(dir / "none", "All Reports.htm")) << "no export folder yet";
}

}  // namespace
}  // namespace velmora::web
