// Dumping and resetting the database from the command line, and what a damaged table does.
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "core/workspace_layout.h"
#include "tests/cli_fixture.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Every table the refusal of an unknown one names can be dumped in a new workspace, plain and by
// its index; an index or --errors a table does not have is refused.
TEST_F(CliTest, DumpWorksOnEveryTableItNamesAndRefusesWhatATableHasNot) {
  const std::string folder = NewWorkspace();
  const auto unknown = VelmoraIn(folder, {"dump", "Visits"});
  EXPECT_EQ(unknown.status, 2);
  const std::string intro = "; the tables are: ";
  const size_t at = unknown.err.find(intro);
  ASSERT_NE(at, std::string::npos) << unknown.err;
  const size_t from = at + intro.size();
  const std::string line = unknown.err.substr(from, unknown.err.find('\n', from) - from);
  std::istringstream names(line);
  std::vector<std::string> tables;
  for (std::string name; std::getline(names, name, ',');) {
    tables.push_back(name.substr(name.find_first_not_of(' ')));
  }
  EXPECT_EQ(tables.size(), 18u) << line;
  for (const std::string& table : tables) {
    const auto r = VelmoraIn(folder, {"dump", table});
    EXPECT_EQ(r.status, 0) << table << ": " << r.err;
    EXPECT_EQ(r.out, "") << table;
    EXPECT_EQ(VelmoraIn(folder, {"dump", table, "--index", "1"}).status, 0) << table;
  }
  EXPECT_EQ(VelmoraIn(folder, {"dump", "Sessions", "--index", "2"}).status, 0);
  EXPECT_EQ(VelmoraIn(folder, {"dump", "Resources", "--errors"}).status, 0);
  EXPECT_EQ(VelmoraIn(folder, {"dump", "Hourly", "--index", "2"}).status, 2);
  EXPECT_EQ(VelmoraIn(folder, {"dump", "Hourly", "--errors"}).status, 2);
}

TEST_F(CliTest, DumpReadableReadsLikeAVisitLog) {
  const std::string ws = NewWorkspace();
  ASSERT_EQ(Velmora({"-w", ws, "settings", "set", "your-time-zone", "UTC+01:00"}).status, 0);
  std::ofstream(ws + "logs/a.log")
      << "10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /caf%C3%A9.html HTTP/1.0\" 200 100 "
         "\"http://www.google.com/search?q=caf%C3%A9+menu\" \"Mozilla/5.0 (Windows NT 10.0; "
         "Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/120.0 Safari/537.36\"\n";
  ASSERT_EQ(Velmora({"-w", ws, "parse"}).status, 0);

  // Table names in any case.
  const std::vector<std::string> plain = Lines(Velmora({"-w", ws, "dump", "sessions"}).out);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_NE(plain[0].find("\"visitor_address\":167837953"), std::string::npos) << plain[0];

  const auto readable = Velmora({"-w", ws, "dump", "SESSIONS", "--readable"});
  ASSERT_EQ(readable.status, 0) << readable.err;
  for (const char* part : {
           "\"first_request_time\":\"2026-10-10T14:55:36+01:00\"",
           "\"visitor_address\":\"10.1.1.1\"",
           "\"flag\":\"visit\"",
           "\"page_path\":{\"id\":0,\"texts\":[\"/caf\xC3\xA9.html\"]}",
           "search?q=caf\xC3\xA9+menu\"}",
           "\"page_user_agent\":{\"id\":0,\"text\":\"Mozilla/5.0",
       }) {
    EXPECT_NE(readable.out.find(part), std::string::npos) << part << "\n" << readable.out;
  }
  const std::string agents = Velmora({"-w", ws, "dump", "useragents", "--readable"}).out;
  EXPECT_NE(agents.find("\"browser\":{\"id\":0,\"text\":\""), std::string::npos) << agents;
  EXPECT_NE(agents.find("\"spider\":null"), std::string::npos) << agents;
  const std::string referrers = Velmora({"-w", ws, "dump", "Referers", "--readable"}).out;
  EXPECT_NE(referrers.find("\"kind\":\"SearchEngine\""), std::string::npos) << referrers;
  // What is stored stays as logged.
  EXPECT_NE(Velmora({"-w", ws, "dump", "Resources"}).out.find("/caf%c3%a9.html"),
            std::string::npos);
}

TEST_F(CliTest, DamagedTableIsReportedAndNothingIsTouched) {
  struct Case {
    const char* damage;
    std::function<void(const fs::path&)> spoil;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"bad signature",
       [](const fs::path& file) {
         std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
         f.write("XXXX", 4);
       },
       "ZEQ Engine 2.0: Can't open table: Bad Signature"},
      {"longer than its header says",
       [](const fs::path& file) { fs::resize_file(file, 3 * 65536); },
       "ZEQ Engine 2.0: Can't open table: Bad File Size"},
      {"emptied", [](const fs::path& file) { fs::resize_file(file, 0); },
       "ZEQ Engine 2.0: Can't open table: Bad Signature"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage);
    const std::string folder = NewWorkspace(std::string("t") + std::to_string(&c - &cases[0]));
    std::ofstream(folder + "logs/a.log") << "127.0.0.1 - - [01/Feb/2024:10:00:00 +0000] "
                                            "\"GET / HTTP/1.1\" 200 5 \"-\" \"x\"\n";
    // Spoil every table file so the first one opened is certainly damaged, whatever its name.
    std::map<fs::path, std::string> before;
    for (const auto& entry : fs::directory_iterator(folder + "database")) {
      c.spoil(entry.path());
      before[entry.path()] = ReadFile(entry.path().string());
    }
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"dump", "Sessions"}, {"parse"}, {"reset"}}) {
      std::vector<std::string> args{"-w", folder};
      args.insert(args.end(), command.begin(), command.end());
      const auto r = Velmora(args);
      EXPECT_EQ(r.status, 1) << command[0];
      if (command[0] != "reset") {
        EXPECT_NE(r.err.find(c.message), std::string::npos) << command[0] << r.err;
        EXPECT_NE(r.err.find("Velmora: Cannot open database"), std::string::npos) << r.err;
      }
    }
    for (const auto& [file, bytes] : before) EXPECT_TRUE(ReadFile(file.string()) == bytes) << file;
  }
}

TEST_F(CliTest, ResetAsksAndEmptiesReportsFolder) {
  const std::string folder = NewWorkspace();
  const std::string reports = WorkspacePath(folder, kReportsFolder);
  const std::string cached = WorkspacePath(reports, "cached");
  fs::create_directories(reports);
  std::ofstream(cached) << "x";

  const auto declined = Velmora({"-w", folder, "reset"});
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.err.find("Velmora: Remove all collected data from the workspace?\n"
                              "(No terminal to ask: answered No; --yes answers Yes.)\n"
                              "velmora: nothing was removed: the answer to"),
            std::string::npos)
      << declined.err;
  EXPECT_TRUE(fs::exists(cached));

  EXPECT_EQ(Velmora({"--yes", "-w", folder, "reset"}).status, 0);
  EXPECT_FALSE(fs::exists(cached));
  EXPECT_TRUE(fs::is_directory(reports));
}

}  // namespace
}  // namespace velmora
