// The FTP client against a real FTP server on this machine: logins, passive and active mode,
// listings that hold directories, downloads that fail or are cancelled, removal on the server.
#include "retrieval/internet_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/ftp_server.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The listing's lines in name order: servers list in their own order.
std::string Sorted(const std::string& names) {
  std::vector<std::string> lines;
  size_t at = 0;
  for (size_t end; (end = names.find('\n', at)) != std::string::npos; at = end + 1) {
    lines.push_back(names.substr(at, end - at));
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out + names.substr(at);
}

class InternetClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(root_ / "logs/access.log.1", "first log line\n");
    WriteFile(root_ / "logs/Access.Log.2", std::string(300000, 'x'));
    fs::create_directories(root_ / "logs/archive.log");
    fs::create_directories(root_ / "onlydirs/a");
    fs::create_directories(root_ / "empty");
    server_ = std::make_unique<testing::FtpTestServer>(root_.str());
    ASSERT_NE(server_->port(), 0) << server_->why_not();
  }
  testing::TempDir root_;
  std::unique_ptr<testing::FtpTestServer> server_;
};

TEST_F(InternetClientTest, ConnectsOrSaysWhyNot) {
  struct Case {
    const char* name;
    std::string host;
    int port;
    bool passive;
    std::string user, password;
    int code;
  } cases[] = {
      {"user, passive", "127.0.0.1", server_->port(), true, "alice", "secret", kInternetOk},
      {"user, active", "ftp://127.0.0.1", server_->port(), false, "alice", "secret", kInternetOk},
      {"anonymous", "127.0.0.1", server_->port(), true, "", "", kInternetOk},
      {"wrong password", "127.0.0.1", server_->port(), true, "alice", "nope",
       kInternetLoginRefused},
      // The password must never cross in clear when TLS was asked for.
      {"TLS asked, server has none", "ftps://127.0.0.1", server_->port(), true, "alice", "secret",
       kInternetExtendedError},
      {"nobody listens", "127.0.0.1", 1, true, "alice", "secret", kInternetCannotConnect},
  };
  for (const Case& c : cases) {
    InternetClient client(InternetTimeouts{2, 2});
    EXPECT_EQ(client.ConnectFtp(c.host, c.port, c.passive, c.user, c.password), c.code) << c.name;
    if (c.code == kInternetOk) {
      std::string names;
      EXPECT_EQ(client.ListFtp("/logs/", names), kInternetOk) << c.name;
      EXPECT_EQ(Sorted(names), "Access.Log.2\naccess.log.1\n") << c.name;
      EXPECT_EQ(client.ConnectFtp(c.host, c.port, c.passive, c.user, c.password),
                kInternetAlreadyConnected);
    }
  }
  EXPECT_EQ(InternetErrorText(4711), "Unknown error");
  EXPECT_EQ(InternetErrorText(12007), "The server name could not be resolved.");
}

TEST_F(InternetClientTest, ListsPlainFilesOnly) {
  InternetClient client;
  ASSERT_EQ(client.ConnectFtp("127.0.0.1", server_->port(), true, "", ""), kInternetOk);
  struct Case {
    const char* folder;
    int code;
    const char* names;
  } cases[] = {
      {"/onlydirs/", kInternetOk, ""},
      {"/empty", kInternetOk, ""},
      {"/missing/", kInternetAccessDenied, ""},
  };
  for (const Case& c : cases) {
    std::string names = "stale";
    EXPECT_EQ(client.ListFtp(c.folder, names), c.code) << c.folder;
    EXPECT_EQ(names, c.names) << c.folder;
  }
}

TEST_F(InternetClientTest, DownloadsWholeFilesOnly) {
  InternetClient client;
  std::vector<int> phases;
  int64_t cancel_after = -1;
  client.SetProgress([&](int phase, int64_t so_far, int64_t) {
    phases.push_back(phase);
    return cancel_after < 0 || so_far <= cancel_after;
  });
  ASSERT_EQ(client.ConnectFtp("127.0.0.1", server_->port(), true, "alice", "secret"), kInternetOk);
  std::vector<uint8_t> data;
  ASSERT_EQ(client.DownloadFtp("/logs/access.log.1", data), kInternetOk);
  EXPECT_EQ(std::string(data.begin(), data.end()), "first log line\n");

  EXPECT_EQ(client.DownloadFtp("/logs/gone.log", data), kInternetFileNotFound);

  phases.clear();
  ASSERT_EQ(client.DownloadFtp("/logs/Access.Log.2", data), kInternetOk);
  EXPECT_EQ(data.size(), 300000u);
  ASSERT_GE(phases.size(), 3u);
  EXPECT_EQ(phases[0], 1);
  EXPECT_EQ(phases[1], 3);

  cancel_after = 1;
  EXPECT_EQ(client.DownloadFtp("/logs/Access.Log.2", data), kInternetCancelled);
  EXPECT_TRUE(data.empty());
  cancel_after = -1;
  // The connection stays usable after a cancelled transfer.
  EXPECT_EQ(client.DownloadFtp("/logs/access.log.1", data), kInternetOk);
}

TEST_F(InternetClientTest, DeletesOnlyWhenAllowed) {
  {
    InternetClient anonymous;
    ASSERT_EQ(anonymous.ConnectFtp("127.0.0.1", server_->port(), true, "", ""), kInternetOk);
    EXPECT_NE(anonymous.DeleteFtp("/logs/access.log.1"), kInternetOk);
    EXPECT_TRUE(fs::exists(root_ / "logs/access.log.1"));
  }
  InternetClient client;
  ASSERT_EQ(client.ConnectFtp("127.0.0.1", server_->port(), false, "alice", "secret"), kInternetOk);
  EXPECT_EQ(client.DeleteFtp("/logs/access.log.1"), kInternetOk);
  EXPECT_FALSE(fs::exists(root_ / "logs/access.log.1"));
  std::string names;
  EXPECT_EQ(client.ListFtp("/logs/", names), kInternetOk);
  EXPECT_EQ(names, "Access.Log.2\n");
}

}  // namespace
}  // namespace velmora
