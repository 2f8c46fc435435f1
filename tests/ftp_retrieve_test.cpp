// Retrieving by FTP from a real server on this machine: new files are fetched, stored and parsed,
// a second run finds nothing new, files leave the server only once stored, and a refused login,
// a forbidden folder or a folder of directories each say so, and Ctrl+C in the middle of a
// download stores and removes nothing. The password never shows.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/cli_fixture.h"
#include "tests/support/ftp_server.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class FtpRetrieveTest : public CliTest {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "logs/old");
    fs::create_directories(root_ / "dirsonly/a.log");
    server_ = std::make_unique<testing::FtpTestServer>(root_.str());
    ASSERT_NE(server_->port(), 0) << server_->why_not();
  }
  std::string FtpWorkspace(const std::string& login, const std::string& password,
                           const std::string& log_path, int port = 0) {
    const std::string folder = NewWorkspace();
    SetSettings(folder, {{"retrieve-method", "ftp"},
                         {"ftp-server", "127.0.0.1"},
                         {"ftp-port", std::to_string(port ? port : server_->port())},
                         {"ftp-log-path", log_path},
                         {"ftp-login", login},
                         {"ftp-password", password}});
    return folder;
  }

  testing::TempDir root_;
  std::unique_ptr<testing::FtpTestServer> server_;
};

TEST_F(FtpRetrieveTest, FetchesStoresParsesAndThenFindsNothingNew) {
  GenerateLog(root_ / "logs/site-1.log", 1000, 1);
  GenerateLog(root_ / "logs/site-2.log", 500, 2);
  const std::string folder = FtpWorkspace("alice", "secret", "/logs/");

  const auto first = Velmora({"-w", folder, "retrieve", "--all", "--parse"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Imported 2 of 2 log file(s)"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("Lines processed: 1500, errors: 0"), std::string::npos) << first.out;
  EXPECT_EQ(Files(folder + "logs"), (std::vector<std::string>{"site-1.log.gz", "site-2.log.gz"}));
  EXPECT_EQ(Files(root_ / "logs").size(), 2u) << "files stay on the server unless asked";

  const auto second = Velmora({"-w", folder, "retrieve", "--all"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("There are no new log files"), std::string::npos) << second.out;

  GenerateLog(root_ / "logs/site-3.log", 300, 3);
  const auto third = Velmora({"-w", folder, "retrieve", "--all", "--remove-from-server"});
  ASSERT_EQ(third.status, 0) << third.err;
  EXPECT_NE(third.out.find("Imported 1 of 1"), std::string::npos) << third.out;
  EXPECT_NE(third.out.find("Lines processed: 300"), std::string::npos) << "--parse was kept";
  EXPECT_EQ(Files(root_ / "logs"), (std::vector<std::string>{"site-1.log", "site-2.log"}));
  EXPECT_TRUE(fs::exists(folder + "logs/site-3.log.gz"));

  const auto shown = Velmora({"-w", folder, "settings", "show"});
  const auto got = Velmora({"-w", folder, "settings", "get", "ftp-password"});
  EXPECT_EQ(got.out, "(set)\n");
  const auto exported = Velmora({"-w", folder, "settings", "export"});
  EXPECT_NE(exported.out.find("\"ftp-password\": \"(set)\""), std::string::npos) << exported.out;
  for (const auto* r : {&first, &second, &third, &shown, &got, &exported}) {
    EXPECT_EQ((r->out + r->err).find("secret"), std::string::npos) << r->out << r->err;
  }
  // The screen's text imported back keeps the password; a file carries it, for its owner only.
  ASSERT_EQ(Velmora({"-w", folder, "settings", "import", "-"}, exported.out).status, 0);
  const std::string file = home_ / "settings.json";
  ASSERT_EQ(Velmora({"-w", folder, "settings", "export", file}).status, 0);
  EXPECT_NE(ReadFile(file).find("\"ftp-password\": \"secret\""), std::string::npos);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::group_read, fs::perms::none);
}

TEST_F(FtpRetrieveTest, SaysWhyNothingCameAndNeverRemovesWhatWasNotStored) {
  std::ofstream(root_ / "logs/tiny.log") << "12345";
  struct Case {
    const char* name;
    std::string login, password, log_path;
    int status;
    const char* says;
  } cases[] = {
      {"wrong password", "alice", "wrong", "/logs/", 1,
       "The request to connect and log on to an FTP server could"},
      {"no such folder", "", "", "/nope/", 1, "Access is forbidden or authorization required"},
      {"directories only", "", "", "/dirsonly/", 0, "There are no new log files"},
      {"too short to store", "alice", "secret", "/logs/", 0,
       "tiny.log: skipped, it holds fewer than 10 bytes"},
  };
  for (const Case& c : cases) {
    const std::string folder = FtpWorkspace(c.login, c.password, c.log_path);
    const auto r = Velmora({"-w", folder, "retrieve", "--all", "--remove-from-server"});
    EXPECT_EQ(r.status, c.status) << c.name << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.name << r.out << r.err;
    EXPECT_TRUE(fs::exists(root_ / "logs/tiny.log")) << c.name;
    fs::remove_all(home_ / "ws");
  }
}

TEST_F(FtpRetrieveTest, CtrlCInTheMiddleOfADownloadStoresAndRemovesNothing) {
  testing::TempDir slow_root;
  fs::create_directories(slow_root / "logs");
  GenerateLog(slow_root / "logs/big.log", 20000, 4);  // some seconds at the slow server's pace
  GenerateLog(slow_root / "logs/later.log", 100, 5);
  testing::FtpTestServer slow(slow_root.str(), testing::FtpServerKind::kSlow);
  ASSERT_NE(slow.port(), 0) << slow.why_not();
  const std::string folder = FtpWorkspace("alice", "secret", "/logs/", slow.port());

  auto retrieve = StartVelmora({"-w", folder, "retrieve", "--all", "--remove-from-server"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_TRUE(retrieve->Running())
      << "the download ended before it could be cancelled: " << retrieve->Wait().err;
  kill(retrieve->pid(), SIGINT);
  const auto r = retrieve->Wait();
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("cancelled"), std::string::npos) << r.err;
  EXPECT_TRUE(Files(folder + "logs").empty()) << "neither the partial file nor the next one";
  EXPECT_EQ(Files(slow_root / "logs"), (std::vector<std::string>{"big.log", "later.log"}));
}

TEST_F(FtpRetrieveTest, AServerThatStopsAnsweringTimesOutAsThePreferencesSay) {
  testing::TempDir unused;
  testing::FtpTestServer silent(unused.str(), testing::FtpServerKind::kSilent);
  ASSERT_NE(silent.port(), 0) << silent.why_not();
  const std::string folder = FtpWorkspace("", "", "/logs/", silent.port());
  fs::create_directories(home_ / "config/velmora");
  std::ofstream(home_ / "config/velmora/preferences.ini")
      << "[Velmora]\nFtpConnectTimeout=2\nFtpStallTimeout=2\n";
  const auto start = std::chrono::steady_clock::now();
  const auto r = Velmora({"-w", folder, "retrieve", "--all"});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("The request has timed out."), std::string::npos) << r.err;
}

}  // namespace
}  // namespace velmora
