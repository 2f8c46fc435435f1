// The HTTP side of the client against the Fetchlet companions on this machine, the Python one
// and the PHP page: status codes become result codes, bodies arrive in pieces of 256 bytes and a
// cancel stops within one, and each companion refuses every way out of its folder, plainly
// written or encoded, the Python one also as a CGI script.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "retrieval/fetchlet_protocol.h"
#include "retrieval/internet_client.h"
#include "tests/support/fetchlet_server.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A log folder with ways out of it: a subfolder, links to a file and a folder outside.
class CompanionFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "logs/sub");
    std::ofstream(root_ / "logs/a.log") << "first log line\n";
    std::ofstream(root_ / "logs/sub/b.log") << "in a subfolder\n";
    std::ofstream(outside_ / "secret.log") << "not to be served\n";
    fs::create_symlink(outside_ / "secret.log", root_ / "logs/link.log");
    fs::create_directory_symlink(outside_.path(), root_ / "logs/out");
    // Already compressed, so that it comes back byte for byte.
    std::string big = "\x1f\x8b";
    for (int i = 0; big.size() < 100000; ++i) big += static_cast<char>(i * 7);
    std::ofstream(root_ / "logs/big.log.gz", std::ios::binary) << big;
    big_size_ = big.size();
    fs::last_write_time(root_ / "logs/a.log",
                        fs::last_write_time(root_ / "logs/big.log.gz") - std::chrono::hours(1));
  }

  testing::TempDir root_, outside_;
  size_t big_size_ = 0;
};

// The same folder served by the companion named by the parameter, user alice.
class HttpClientTest : public CompanionFolderTest,
                       public ::testing::WithParamInterface<testing::FetchletPage> {
 protected:
  void SetUp() override {
    CompanionFolderTest::SetUp();
    server_ = std::make_unique<testing::FetchletTestServer>(
        root_.str(),
        testing::FetchletOptions{.user = "alice", .password = "secret", .page = GetParam()});
    ASSERT_NE(server_->port(), 0) << server_->why_not();
  }
  std::string Body(const std::vector<uint8_t>& data) { return {data.begin(), data.end()}; }

  std::unique_ptr<testing::FetchletTestServer> server_;
};

TEST_P(HttpClientTest, AnswersAndRefusalsBecomeResultCodes) {
  struct Case {
    const char* name;
    std::string user, password, target;
    int code;
    long status;
    const char* body;
  } cases[] = {
      {"list", "alice", "secret", FetchletListRequest("/fl", 30, true, "/logs"), kInternetOk, 200,
       nullptr},
      {"get", "alice", "secret", FetchletGetRequest("/fl", "a.log", "/logs"), kInternetOk, 200,
       nullptr},
      {"wrong password", "alice", "nope", FetchletListRequest("/fl", 30, true, "/logs"),
       kInternetAccessDenied, 401, ""},
      {"no user", "", "", FetchletListRequest("/fl", 30, true, "/logs"), kInternetAccessDenied, 401,
       ""},
      {"missing file", "alice", "secret", FetchletGetRequest("/fl", "gone.log", "/logs"),
       kInternetHttpStatus, 404, ""},
      {"not a request", "alice", "secret", "/fl?what", kInternetHttpStatus, 400, ""},
      {"no such folder", "alice", "secret", FetchletListRequest("/fl", 30, true, "/nope"),
       kInternetOk, 200, "Error: there is no such log folder\n"},
  };
  for (const Case& c : cases) {
    InternetClient client;
    ASSERT_EQ(client.ConnectHttp(server_->address(), 80, c.user, c.password), kInternetOk);
    std::vector<uint8_t> data{'x'};
    EXPECT_EQ(client.HttpGet(c.target, data), c.code) << c.name;
    EXPECT_EQ(client.http_status(), c.status) << c.name;
    if (c.body) EXPECT_EQ(Body(data), c.body) << c.name;
  }
  InternetClient client;
  ASSERT_EQ(client.ConnectHttp("http://" + server_->address(), 80, "alice", "secret"), kInternetOk);
  EXPECT_EQ(client.ConnectHttp(server_->address(), 80, "", ""), kInternetAlreadyConnected);
  std::vector<uint8_t> data;
  ASSERT_EQ(client.HttpGet(FetchletListRequest("/fl", 30, true, "/logs"), data), kInternetOk);
  EXPECT_EQ(Body(data), "OK\nbig.log.gz\na.log\n") << "newest first, nothing from outside";
  ASSERT_EQ(client.HttpGet(FetchletGetRequest("/fl", "a.log", "/logs"), data), kInternetOk);
  EXPECT_EQ(data[0], 0x1f) << "gzip, as the list request asked";
  ASSERT_EQ(client.HttpGet(FetchletListRequest("/fl", 30, false, "/logs/sub"), data), kInternetOk);
  EXPECT_EQ(Body(data), "OK\nb.log\n");
  ASSERT_EQ(client.HttpGet(FetchletGetRequest("/fl", "b.log", "/logs/sub"), data), kInternetOk);
  EXPECT_EQ(Body(data).substr(0, 3), "BZh") << "bzip2, as the list request asked";

  InternetClient nobody;
  EXPECT_EQ(nobody.ConnectHttp("www.example.com:http", 80, "", ""), kInternetInvalidUrl);
  EXPECT_EQ(nobody.HttpGet("/fl", data), kInternetNoConnection);
}

TEST_P(HttpClientTest, ReadsInPiecesAndStopsWithinOneWhenCancelled) {
  InternetClient client;
  std::vector<int> phases;
  std::vector<int64_t> counts;
  int64_t cancel_after = -1;
  client.SetProgress([&](int phase, int64_t so_far, int64_t) {
    phases.push_back(phase);
    counts.push_back(so_far);
    return cancel_after < 0 || so_far <= cancel_after;
  });
  ASSERT_EQ(client.ConnectHttp(server_->address(), 80, "alice", "secret"), kInternetOk);
  std::vector<uint8_t> data;
  ASSERT_EQ(client.HttpGet(FetchletGetRequest("/fl", "big.log.gz", "/logs"), data), kInternetOk);
  EXPECT_EQ(data.size(), big_size_);
  ASSERT_GE(phases.size(), 4u);
  EXPECT_EQ(std::vector<int>(phases.begin(), phases.begin() + 3), (std::vector<int>{0, 1, 2}));
  for (size_t i = 4; i < counts.size(); ++i) {
    EXPECT_LE(counts[i] - counts[i - 1], 256) << i;
    EXPECT_GT(counts[i], counts[i - 1]) << i;
  }
  EXPECT_EQ(counts.back(), static_cast<int64_t>(big_size_));

  cancel_after = 1000;
  counts.clear();
  EXPECT_EQ(client.HttpGet(FetchletGetRequest("/fl", "big.log.gz", "/logs"), data),
            kInternetCancelled);
  EXPECT_TRUE(data.empty());
  EXPECT_LE(counts.back(), 1000 + 256);
  cancel_after = -1;
  EXPECT_EQ(client.HttpGet(FetchletGetRequest("/fl", "a.log", "/logs"), data), kInternetOk)
      << "the client stays usable after a cancelled transfer";
}

TEST_P(HttpClientTest, PrunesToTheNewestOnlyWhenItsConfigurationAllows) {
  testing::TempDir folder;
  const auto now = fs::file_time_type::clock::now();
  for (int i = 1; i <= 4; ++i) {
    const std::string name = folder / ("site-" + std::to_string(i) + ".log");
    std::ofstream(name) << "line\n";
    fs::last_write_time(name, now - std::chrono::hours(i));
  }
  for (const bool allowed : {false, true}) {
    testing::FetchletTestServer server(folder.str(), {.allow_prune = allowed, .page = GetParam()});
    ASSERT_NE(server.port(), 0) << server.why_not();
    InternetClient client;
    ASSERT_EQ(client.ConnectHttp(server.address(), 80, "", ""), kInternetOk);
    std::vector<uint8_t> data;
    ASSERT_EQ(client.HttpGet(FetchletListRequest("/fl", 2, true, "/"), data), kInternetOk);
    EXPECT_EQ(Body(data), allowed ? "OK\nsite-1.log\nsite-2.log\n"
                                  : "OK\nsite-1.log\nsite-2.log\nsite-3.log\nsite-4.log\n");
    EXPECT_EQ(fs::exists(folder / "site-4.log"), !allowed);
  }
}

// Every way out of the folder, as a target sent raw: 403 from the server and from the CGI script.
const char* const kWaysOut[] = {
    "/fl?get&../../etc/passwd&/logs",
    "/fl?get&..%2f..%2fetc%2fpasswd&/logs",
    "/fl?get&%2e%2e%2F%2E%2E%2Fetc%2Fpasswd&/logs",
    "/fl?get&/etc/passwd&/logs",
    "/fl?get&%2fetc%2fpasswd&/logs",
    "/fl?get&..%5c..%5cetc%5cpasswd&/logs",
    "/fl?get&C:%5cwindows%5cwin.ini&/logs",
    "/fl?get&passwd&/logs/../../../etc",
    "/fl?get&passwd&%2e%2e/%2e%2e/%2e%2e/etc",
    "/fl?get&sub/b.log&/logs",
    "/fl?get&link.log&/logs",
    "/fl?get&secret.log&/logs/out",
    "/fl?get&a.log%00.gz&/logs",
    "/fl?dir&30&1&/logs/..",
    "/fl?dir&30&1&%2E%2E",
    "/fl?dir&30&1&/logs/out",
};

TEST_P(HttpClientTest, TheCompanionRefusesEveryWayOutOfItsFolder) {
  InternetClient client;
  ASSERT_EQ(client.ConnectHttp(server_->address(), 80, "alice", "secret"), kInternetOk);
  for (const char* target : kWaysOut) {
    std::vector<uint8_t> data;
    EXPECT_EQ(client.HttpGet(target, data), kInternetAccessDenied) << target;
    EXPECT_EQ(client.http_status(), 403) << target;
  }
}

TEST_F(CompanionFolderTest, ThePythonCompanionAsACgiScriptAnswersTheSame) {
  testing::TempDir config;
  std::ofstream(config / "fetchlet.conf")
      << "[fetchlet]\nfolder = " << root_.str() << "\nuser = alice\npassword = secret\n";
  const auto run = [&](const std::string& query, const std::string& authorization) {
    return testing::RunProgram(
        "/usr/bin/python3", {testing::FetchletScript()},
        {"GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=GET", "QUERY_STRING=" + query,
         "HTTP_AUTHORIZATION=" + authorization, "FETCHLET_CONFIG=" + config / "fetchlet.conf",
         "REMOTE_ADDR=127.0.0.1", "TMPDIR=" + config.str()});
  };
  const std::string alice = "Basic YWxpY2U6c2VjcmV0";  // alice:secret
  const auto list = run("dir&30&1&/logs", alice);
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_NE(list.out.find("Status: 200"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("\r\n\r\nOK\nbig.log.gz\na.log\n"), std::string::npos) << list.out;
  EXPECT_NE(run("dir&30&1&/logs", "Basic YWxpY2U6bm9wZQ==").out.find("Status: 401"),
            std::string::npos);
  const auto got = run("get&a.log&/logs", alice);
  EXPECT_NE(got.out.find("\r\n\r\n\x1f\x8b"), std::string::npos) << "gzip, remembered";
  for (const char* target : kWaysOut) {
    const std::string query = std::string(target).substr(4);
    EXPECT_NE(run(query, alice).out.find("Status: 403"), std::string::npos) << query;
  }
}

INSTANTIATE_TEST_SUITE_P(Companions, HttpClientTest,
                         ::testing::Values(testing::FetchletPage::kPython,
                                           testing::FetchletPage::kPhp),
                         [](const auto& info) {
                           return info.param == testing::FetchletPage::kPhp ? "Php" : "Python";
                         });

}  // namespace
}  // namespace velmora
