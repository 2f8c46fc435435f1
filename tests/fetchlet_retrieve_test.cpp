// Retrieving through the Fetchlet companion (contrib/fetchlet) on this machine: new files are
// fetched, stored and parsed, a later run fetches only what is new, names that need escaping come
// back whole, each kind of refusal or error reply says so, and Ctrl+C in the middle of a download
// stores nothing. The password never shows; a plain-HTTP server with a user gets one warning.
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/cli_fixture.h"
#include "tests/support/fetchlet_server.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

class FetchletRetrieveTest : public CliTest {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "logs");
    fs::create_directories(root_ / "empty");
    server_ = std::make_unique<testing::FetchletTestServer>(
        root_.str(), testing::FetchletOptions{.user = "alice", .password = "secret"});
    ASSERT_NE(server_->port(), 0) << server_->why_not();
  }
  std::string FetchletWorkspace(const std::string& server, const std::string& user,
                                const std::string& password, const std::string& log_path,
                                const std::string& gzip = "1") {
    const std::string folder = NewWorkspace();
    SetSettings(folder, {{"retrieve-method", "fetchlet"},
                         {"http-server", server},
                         {"fetchlet-path", "/cgi-bin/fl.py"},
                         {"http-log-path", log_path},
                         {"http-user", user},
                         {"http-password", password},
                         {"fetchlet-gzip", gzip}});
    return folder;
  }
  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  testing::TempDir root_;
  std::unique_ptr<testing::FetchletTestServer> server_;
};

TEST_F(FetchletRetrieveTest, FetchesStoresParsesAndLaterOnlyWhatIsNew) {
  GenerateLog(root_ / "logs/site-1.log", 1000, 1);
  GenerateLog(root_ / "logs/site-2.log", 500, 2);
  ASSERT_EQ(testing::RunProgram("/bin/gzip", {root_ / "logs/site-2.log"}).status, 0);
  GenerateLog(root_ / "logs/my log #3 100%.log", 200, 3);  // sent whole only when escaped
  const std::string folder = FetchletWorkspace(server_->address(), "alice", "secret", "/logs", "0");

  const auto first = Velmora({"-w", folder, "retrieve", "--all", "--parse"});
  ASSERT_EQ(first.status, 0) << first.err << first.out;
  EXPECT_NE(first.out.find("Imported 3 of 3 log file(s)"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("Lines processed: 1700, errors: 0"), std::string::npos) << first.out;
  EXPECT_EQ(Files(folder + "logs"),
            (std::vector<std::string>{"my log #3 100%.log.gz", "site-1.log.gz", "site-2.log.gz"}));
  EXPECT_EQ(Count(first.err, "unencrypted"), 1u) << first.err;

  GenerateLog(root_ / "logs/site-4.log", 300, 4);
  // Only the new file comes; the rest are stored already.
  const auto second = Velmora({"-w", folder, "retrieve", "--all", "--rename"});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_NE(second.out.find("Imported 1 of 1"), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("Lines processed: 300"), std::string::npos) << "--parse was kept";
  EXPECT_EQ(Files(folder + "logs").size(), 4u);
  EXPECT_EQ(Files(root_ / "logs").size(), 4u) << "the companion prunes only when allowed";
  for (const auto* r : {&first, &second}) {
    EXPECT_EQ((r->out + r->err).find("secret"), std::string::npos) << r->out << r->err;
  }
}

TEST_F(FetchletRetrieveTest, SaysWhyNothingOrNotEverythingCame) {
  GenerateLog(root_ / "logs/a.log", 50, 5);
  testing::FetchletTestServer lower(root_.str(), {.lower_case_ok = true});
  testing::FetchletTestServer phantom(root_.str(), {.phantom = "gone.log"});
  ASSERT_NE(lower.port() * phantom.port(), 0) << lower.why_not() << phantom.why_not();
  struct Case {
    const char* name;
    std::string server, user, password, log_path;
    int status;
    const char* says;
    size_t stored;
  } cases[] = {
      {"a list of only OK", server_->address(), "alice", "secret", "/empty", 0,
       "There are no new log files", 0},
      {"an error reply", server_->address(), "alice", "secret", "/missing", 1,
       "Error accessing \"Fetchlet\" interface\nError: there is no such log folder", 0},
      {"wrong password", server_->address(), "alice", "wrong", "/logs", 1,
       "Access is forbidden or authorization required", 0},
      {"no user at all", server_->address(), "", "", "/logs", 1,
       "Access is forbidden or authorization required", 0},
      {"lower-case ok", lower.address(), "", "", "/logs", 0, "Imported 1 of 1", 1},
      {"a listed file that is missing", "http://" + phantom.address(), "", "", "/logs/", 1,
       "gone.log: not retrieved (The server answered with an error status., HTTP status 404)", 1},
      {"TLS asked, the server has none", "https://" + server_->address(), "alice", "secret",
       "/logs", 1, "(https://127.0.0.1", 0},
      {"nobody listens", "127.0.0.1:1", "", "", "/logs", 1,
       "The attempt to connect to the server failed.", 0},
  };
  for (const Case& c : cases) {
    const std::string folder = FetchletWorkspace(c.server, c.user, c.password, c.log_path);
    const auto r = Velmora({"-w", folder, "retrieve", "--all", "--no-parse"});
    EXPECT_EQ(r.status, c.status) << c.name << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.name << r.out << r.err;
    EXPECT_EQ(Files(folder + "logs").size(), c.stored) << c.name;
    const bool in_clear = !c.user.empty() && c.server.rfind("https://", 0) != 0;
    EXPECT_EQ(Count(r.err, "unencrypted"), in_clear ? 1u : 0u) << c.name << r.err;
    fs::remove_all(home_ / "ws");
  }
}

TEST_F(FetchletRetrieveTest, CtrlCInTheMiddleOfADownloadStoresNothing) {
  testing::TempDir slow_root;
  fs::create_directories(slow_root / "logs");
  GenerateLog(slow_root / "logs/big.log", 20000, 6);  // some seconds at the slow server's pace
  GenerateLog(slow_root / "logs/later.log", 100, 7);
  // Sent as it is, so that the size on the wire is the file's and the pace predictable.
  ASSERT_EQ(testing::RunProgram("/bin/gzip", {"-1", slow_root / "logs/big.log"}).status, 0);
  testing::FetchletTestServer slow(slow_root.str(), {.slow = true});
  ASSERT_NE(slow.port(), 0) << slow.why_not();
  const std::string folder = FetchletWorkspace(slow.address(), "", "", "/logs");

  auto retrieve = StartVelmora({"-w", folder, "retrieve", "--all"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ASSERT_TRUE(retrieve->Running())
      << "the download ended before it could be cancelled: " << retrieve->Wait().err;
  kill(retrieve->pid(), SIGINT);
  const auto r = retrieve->Wait();
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find("cancelled"), std::string::npos) << r.err;
  EXPECT_TRUE(Files(folder + "logs").empty()) << "neither the partial file nor the next one";
}

}  // namespace
}  // namespace velmora
