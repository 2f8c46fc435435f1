// The folder browser keeps to its roots however a path tries to leave them: "..", symbolic links
// out, absolute paths elsewhere, and names of things that are not there or not folders.
#include "ui/web/folder_browser.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace velmora::web {
namespace {

namespace fs = std::filesystem;

class FolderBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"home/site", "home/sub", "home/.hidden", "outside", "recent"}) {
      fs::create_directories(dir_ / folder);
    }
    for (const char* file : {"home/site/site.stw", "home/site/notes.txt", "home/x.stw",
                             "outside/secret.stw", "recent/ws.stw"}) {
      std::ofstream(dir_ / file) << "STP";
    }
    fs::create_directory_symlink(dir_ / "outside", dir_ / "home/out");
    fs::create_directory_symlink(dir_ / "home/sub", dir_ / "home/in");
    fs::create_symlink(dir_ / "outside/secret.stw", dir_ / "home/out.stw");
  }
  std::string At(const std::string& relative) { return dir_ / relative; }
  FolderBrowser Browser() { return FolderBrowser({At("home"), At("recent"), At("gone")}); }

  testing::TempDir dir_;
};

TEST_F(FolderBrowserTest, ListsOnlyWithinItsRoots) {
  struct Case {
    std::string path;
    int error;             // 0: listed
    std::string resolved;  // relative to the test folder, when listed
  };
  const std::vector<Case> cases = {
      {At("home"), 0, "home"},
      {At("home/"), 0, "home"},
      {At("home/sub/.."), 0, "home"},
      {At("home/in"), 0, "home/sub"},
      {At("recent"), 0, "recent"},
      {At("home/../outside"), EACCES, ""},
      {At("home/sub/../../outside"), EACCES, ""},
      {At("home/out"), EACCES, ""},
      {At("outside"), EACCES, ""},
      {At(""), EACCES, ""},
      {"/", EACCES, ""},
      {"/etc", EACCES, ""},
      {At("home/missing"), ENOENT, ""},
      {At("home/site/site.stw"), ENOTDIR, ""},
      {"home", EINVAL, ""},
      {At("home") + std::string("\0/../../outside", 15), EINVAL, ""},
      {"", EINVAL, ""},
  };
  const FolderBrowser browser = Browser();
  for (const Case& c : cases) {
    const Result<FolderListing> listing = browser.List(c.path, BrowseFor::kWorkspaces);
    if (c.error != 0) {
      ASSERT_FALSE(listing.ok()) << c.path;
      EXPECT_EQ(listing.error().code, c.error) << c.path << ": " << listing.error().message;
    } else {
      ASSERT_TRUE(listing.ok()) << c.path << ": " << listing.error().message;
      EXPECT_EQ(listing->path, At(c.resolved)) << c.path;
    }
  }
  EXPECT_EQ(browser.roots(), (std::vector<std::string>{fs::canonical(At("home")).string(),
                                                       fs::canonical(At("recent")).string()}))
      << "a root that is not there is dropped";
}

TEST_F(FolderBrowserTest, ShowsFoldersAndWorkspaceFilesThatStayInside) {
  const FolderBrowser browser = Browser();
  const auto names = [](const FolderListing& listing) {
    std::vector<std::string> shown;
    for (const BrowseEntry& e : listing.entries) shown.push_back((e.folder ? "/" : "") + e.name);
    return shown;
  };
  const Result<FolderListing> home = browser.List(At("home"), BrowseFor::kWorkspaces);
  ASSERT_TRUE(home.ok());
  EXPECT_EQ(names(*home), (std::vector<std::string>{"/in", "/site", "/sub", "x.stw"}))
      << "no hidden entry, no link out, folders first";
  EXPECT_FALSE(home->parent.has_value()) << "the root's parent lies outside";
  EXPECT_FALSE(home->cut);

  const Result<FolderListing> folders = browser.List(At("home"), BrowseFor::kFolders);
  ASSERT_TRUE(folders.ok());
  EXPECT_EQ(names(*folders), (std::vector<std::string>{"/in", "/site", "/sub"}));

  const Result<FolderListing> site = browser.List(At("home/site"), BrowseFor::kWorkspaces);
  ASSERT_TRUE(site.ok());
  EXPECT_EQ(names(*site), (std::vector<std::string>{"site.stw"}));
  EXPECT_EQ(site->parent, At("home"));
}

TEST_F(FolderBrowserTest, OpensAndMakesWorkspacesOnlyInside) {
  const FolderBrowser browser = Browser();
  const struct {
    std::string path;
    int error;
  } files[] = {
      {At("home/site/site.stw"), 0},
      {At("home/site/../site/site.stw"), 0},
      {At("recent/ws.stw"), 0},
      {At("home/out.stw"), EACCES},
      {At("outside/secret.stw"), EACCES},
      {At("home/out/secret.stw"), EACCES},
      {At("home/site/notes.txt"), EINVAL},
      {At("home/site"), EINVAL},
      {At("home/none.stw"), ENOENT},
      {"site.stw", EINVAL},
  };
  for (const auto& c : files) {
    const Result<std::string> file = browser.WorkspaceFile(c.path);
    EXPECT_EQ(file.ok() ? 0 : file.error().code, c.error) << c.path;
  }
  const struct {
    std::string path;
    std::string resolved;  // empty: refused
  } places[] = {
      {At("home"), At("home")},
      {At("home/new/deeper/"), At("home/new/deeper")},
      {At("home/in/new"), At("home/sub/new")},
      {At("home/../outside/new"), ""},
      {At("home/out/new"), ""},
      {At("homework"), ""},
      {"/tmp", ""},
      {"relative/folder", ""},
  };
  for (const auto& c : places) {
    const Result<std::string> place = browser.Confine(c.path);
    EXPECT_EQ(place.ok() ? place.value() : "", c.resolved) << c.path;
  }
}

}  // namespace
}  // namespace velmora::web
