// What `velmora inspect` makes of single user agents, referrers, addresses and host names.
#include "tests/cli_fixture.h"

namespace velmora {
namespace {

TEST_F(CliTest, InspectGivesTheAnalysisOfOneInput) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const std::vector<Case> cases = {
      {{"ua",
        "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
        "Chrome/119.0.0.0 Safari/537.36"},
       R"({"browser":"Chrome 119","os":"Windows 10","spider":-1,"spider_name":""})"},
      {{"referrer", "https://www.google.com/search?q=red+shoes&hl=en"},
       R"({"domain":"google.com","engine":2,"engine_name":"Google","kind":3,)"
       R"("kind_name":"SearchEngine","phrase":"red shoes","words":["red","shoes"]})"},
      {{"referrer", "http://www.Example.com/page", "--server-names",
        "shop.example.com example.com"},
       R"({"domain":"example.com","engine":0,"engine_name":"","kind":2,"kind_name":"OwnSite",)"
       R"("phrase":null,"words":[]})"},
      {{"ip", "8.8.8.8"}, R"({"code":"US","country":227,"name":"United States"})"},
      {{"ip", "193.0.6.139"}, R"({"code":"NL","country":161,"name":"Netherlands"})"},
      {{"ip", "212.58.244.1"}, R"j({"code":"GB","country":77,"name":"Great Britain (UK)"})j"},
      {{"ip", "127.0.0.1"}, R"({"code":"@","country":0,"name":"Unknown"})"},
      {{"ip", "192.168.1.20"}, R"({"code":"@","country":0,"name":"Unknown"})"},
      {{"host", "dialup-4.example.co.uk"},
       R"({"code":"UK","country":225,"name":"United Kingdom"})"},
      {{"host", "localhost"}, R"({"code":"@","country":0,"name":"Unknown"})"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"inspect"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = Velmora(args);
    EXPECT_EQ(r.status, 0) << c.args[1] << ": " << r.err;
    EXPECT_EQ(r.out, c.out + "\n") << c.args[1];
  }
  EXPECT_EQ(Velmora({"inspect", "ip", "1.2.3"}).status, 2);
  EXPECT_EQ(Velmora({"inspect", "ip", "256.1.1.1"}).status, 2);
}

TEST_F(CliTest, InspectReferrerTakesTheWorkspaceServerNames) {
  const std::string ws = NewWorkspace();
  ASSERT_EQ(Velmora({"-w", ws, "settings", "set", "server-names", "example.com"}).status, 0);
  const auto r = Velmora({"-w", ws, "inspect", "referrer", "http://www.example.com/a?q=x"});
  EXPECT_NE(r.out.find("\"kind_name\":\"OwnSite\""), std::string::npos) << r.out;
}

TEST_F(CliTest, InspectDetectOfAFileThatCannotBeReadFailsWithTheReason) {
  std::filesystem::create_directory(home_ / "logs");
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {home_ / "missing.log", "cannot open: No such file or directory"},
      {home_ / "logs", "is a folder"},
  };
  for (const auto& c : cases) {
    const auto r = Velmora({"inspect", "detect", c.path, "--format-string", "%S"});
    EXPECT_EQ(r.status, 1) << c.path;
    EXPECT_EQ(r.out, "") << c.path;
    EXPECT_EQ(r.err, "velmora: " + c.path + ": " + c.reason + "\n");
  }
}

}  // namespace
}  // namespace velmora
