// Resource rules and log filters edited from the command line, and what they change in a run.
#include "tests/cli_fixture.h"

namespace velmora {
namespace {

TEST_F(CliTest, RulesEditAndInspect) {
  const std::string ws = NewWorkspace();
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const std::vector<Case> edits = {
      {{"rules", "add", "*.pdf,*.epub", "Download", "log-as-visit"}, 0},
      {{"rules", "add", "*.x", "Sound", "log-as-visit"}, 1},
      {{"rules", "add", "*.x", "Page", "sometimes"}, 1},
      {{"rules", "move", "6", "up"}, 0},
      {{"rules", "move", "1", "up"}, 1},
      {{"rules", "move", "2", "sideways"}, 2},
      {{"rules", "remove", "42"}, 1},
  };
  for (const Case& c : edits) {
    std::vector<std::string> args = {"-w", ws};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = Velmora(args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << " " << c.args[2] << ": " << r.err;
  }
  // The new rule now stands before the catch-all "*".
  const std::vector<std::string> list = Lines(Velmora({"-w", ws, "rules", "list"}).out);
  ASSERT_EQ(list.size(), 6u);
  EXPECT_NE(list[4].find("*.pdf, *.epub"), std::string::npos) << list[4];

  const std::vector<std::pair<std::string, std::string>> urls = {
      {"/Index.HTML", R"({"class":257,"logging":1,"logging_name":"Log as Visit","type":1,)"
                      R"("type_name":"Page"})"},
      {"/docs/guide.PDF", R"({"class":258,"logging":1,"logging_name":"Log as Visit","type":2,)"
                          R"("type_name":"Download"})"},
      {"/logo.gif", R"({"class":512,"logging":2,"logging_name":"Log as non-Visit","type":0,)"
                    R"("type_name":"Undefined"})"},
      {"/scripts/root.exe", R"({"class":0,"logging":0,"logging_name":"Do not log","type":0,)"
                            R"("type_name":"Undefined"})"},
      {"/favicon.ico", R"({"class":515,"logging":2,"logging_name":"Log as non-Visit","type":3,)"
                       R"("type_name":"Image"})"},
  };
  for (const auto& [url, json] : urls) {
    EXPECT_EQ(Velmora({"-w", ws, "inspect", "rules", url}).out, json + "\n") << url;
  }
}

TEST_F(CliTest, FiltersChangeWhatAParseRunStores) {
  const std::string ws = NewWorkspace();
  std::ofstream(ws + "logs/a.log")
      << "10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /a.html HTTP/1.0\" 200 100\n"
         "127.0.0.1 - - [10/Oct/2026:13:56:36 +0000] \"GET /b.html HTTP/1.0\" 200 100\n";
  ASSERT_EQ(Velmora({"-w", ws, "filters", "add", "--name", "Local", "--address-op", "equals",
                     "--address", "127.0.0.1"})
                .status,
            0);
  EXPECT_EQ(Velmora({"-w", ws, "filters", "add", "--address-op", "nearby"}).status, 2);
  ASSERT_EQ(Velmora({"-w", ws, "filters", "enable"}).status, 0);
  EXPECT_NE(Velmora({"-w", ws, "filters", "list"}).out.find("1  Local: "), std::string::npos);

  ASSERT_EQ(Velmora({"-w", ws, "parse"}).status, 0);
  const std::vector<std::string> visits = Lines(Velmora({"-w", ws, "dump", "Sessions"}).out);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_NE(visits[0].find("\"visitor_address\":167837953"), std::string::npos) << visits[0];
  // The filtered request still counts in the hourly table.
  EXPECT_NE(Velmora({"-w", ws, "dump", "Hourly"}).out.find("\"hits\":2"), std::string::npos);
}

}  // namespace
}  // namespace velmora
