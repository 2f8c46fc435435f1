// Resource rules and log filters edited from the command line, and what they change in a run.
#include <fstream>

#include "tests/cli_fixture.h"

namespace velmora {
namespace {

// Rules edited, inspected, and what they change in a run: an added rule goes ahead of the
// catch-all and the preset fits today's sites.
TEST_F(CliTest, RulesAreEditedInspectedAndTakeEffectInTheNextRun) {
  const std::string ws = NewWorkspace();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> says = {};  // on stdout
  };
  const std::vector<Case> edits = {
      {{"rules", "add", "*.pdf,*.epub", "Download", "log-as-visit"},
       0,
       {"Added as rule 5, ahead of the catch-all rule 6 (\"*\")",
        "'velmora reset', then 'velmora parse'"}},
      {{"rules", "add", "*.x", "Sound", "log-as-visit"}, 1},
      {{"rules", "add", "*.x", "Page", "sometimes"}, 1},
      {{"rules", "move", "5", "up"}, 0},
      {{"rules", "move", "1", "up"}, 1},
      {{"rules", "move", "2", "sideways"}, 2},
      {{"rules", "remove", "42"}, 1},
  };
  for (const Case& c : edits) {
    const auto r = VelmoraIn(ws, c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << " " << c.args[2] << ": " << r.err;
    for (const std::string& text : c.says) {
      EXPECT_NE(r.out.find(text), std::string::npos) << r.out;
    }
  }
  // Added ahead of the catch-all "*", then moved up by one; the list has a heading.
  const std::vector<std::string> list = Lines(Velmora({"-w", ws, "rules", "list"}).out);
  ASSERT_EQ(list.size(), 7u);
  EXPECT_EQ(list[4], "4  Download   Log as Visit      *.pdf, *.epub");
  EXPECT_EQ(list[6], "6  Undefined  Log as non-Visit  *");

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
      {"/docs/", R"({"class":257,"logging":1,"logging_name":"Log as Visit","type":1,)"
                 R"("type_name":"Page"})"},  // the default document, index.htm
  };
  for (const auto& [url, json] : urls) {
    EXPECT_EQ(Velmora({"-w", ws, "inspect", "rules", url}).out, json + "\n") << url;
  }

  std::ofstream(ws + "logs/a.log")
      << "10.1.1.1 - - [10/Oct/2026:13:55:36 +0000] \"GET /about HTTP/1.0\" 200 100\n"
         "10.1.1.1 - - [10/Oct/2026:13:55:37 +0000] \"GET /img/a.png HTTP/1.0\" 200 100\n"
         "10.1.1.1 - - [10/Oct/2026:13:55:38 +0000] \"GET /site.css HTTP/1.0\" 200 100\n"
         "10.1.1.1 - - [10/Oct/2026:13:55:39 +0000] \"GET /guide.pdf HTTP/1.0\" 200 100\n";
  const auto before = Velmora({"-w", ws, "parse"});
  EXPECT_NE(before.out.find("(3 of 4) matched no rule but the catch-all"), std::string::npos)
      << before.out;
  EXPECT_NE(before.out.find("velmora rules preset modern"), std::string::npos);
  // The rule added to the default rules took effect: the download makes the visit count.
  const std::vector<std::string> visits = Lines(Velmora({"-w", ws, "dump", "Sessions"}).out);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_NE(visits[0].find("\"flag\":1"), std::string::npos) << visits[0];

  const auto preset = Velmora({"-w", ws, "rules", "preset", "modern"});
  EXPECT_EQ(preset.status, 0) << preset.err;
  EXPECT_NE(preset.out.find("Added as rules 6 to 11, ahead of the catch-all rule 12"),
            std::string::npos)
      << preset.out;
  EXPECT_EQ(Velmora({"-w", ws, "rules", "preset", "modern"}).status, 1);
  ASSERT_EQ(Velmora({"-w", ws, "--yes", "reset"}).status, 0);
  const auto after = Velmora({"-w", ws, "parse"});
  EXPECT_EQ(after.out.find("catch-all"), std::string::npos) << after.out;
  EXPECT_NE(Velmora({"-w", ws, "inspect", "rules", "/about"}).out.find("\"type_name\":\"Page\""),
            std::string::npos);
}

TEST_F(CliTest, FiltersNeedAConditionAndAWellFormedNetwork) {
  const std::string ws = NewWorkspace();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string said;  // on stderr (or stdout when it worked)
  };
  const std::vector<Case> cases = {
      {{"filters", "add", "--name", "Everything"}, 2, "no condition"},
      {{"filters", "add", "--name", "Everything", "--match-all"}, 0, "from now on"},
      {{"filters", "add", "--address-op", "subnet", "--address", "10.0.0.0/33"}, 1, "w up to 32"},
      {{"filters", "add", "--address", "300.1.1.1"}, 1, "numbers up to 255"},
      {{"filters", "add", "--method-op", "includes", "--method", "GET"},
       2,
       "use any, equals or not-equals"},
      {{"filters", "add", "--address", "10.0.0.1"}, 0, ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"-w", ws};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = Velmora(args);
    EXPECT_EQ(r.status, c.status) << ::testing::PrintToString(c.args) << r.err;
    EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.said), std::string::npos) << r.err;
  }
  EXPECT_EQ(Lines(Velmora({"-w", ws, "filters", "list"}).out).size(), 4u);
  const std::string help = Velmora({"filters", "add", "--help"}).out;
  for (const char* op : {"not-subnet", "not-includes", "--match-all", "Example"}) {
    EXPECT_NE(help.find(op), std::string::npos) << op;
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
  ASSERT_EQ(Velmora({"-w", ws, "filters", "enable"}).status, 0);
  EXPECT_NE(Velmora({"-w", ws, "filters", "list"}).out.find("1  Local  IP_Address=127.0.0.1"),
            std::string::npos);

  const auto parsed = Velmora({"-w", ws, "parse"});
  ASSERT_EQ(parsed.status, 0);
  EXPECT_NE(parsed.out.find("Log filters: 1 request(s) not logged, 0 given a resource type"),
            std::string::npos)
      << parsed.out;
  const std::vector<std::string> visits = Lines(Velmora({"-w", ws, "dump", "Sessions"}).out);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_NE(visits[0].find("\"visitor_address\":167837953"), std::string::npos) << visits[0];
  // The filtered request still counts in the hourly table.
  EXPECT_NE(Velmora({"-w", ws, "dump", "Hourly"}).out.find("\"hits\":2"), std::string::npos);
}

}  // namespace
}  // namespace velmora
