// Every help shows examples of its own command, and the binary writes its manual page and bash
// completion: the page has a section for every command the help lists, with every option that
// command's help names, and the sections a manual needs; the completion offers the commands,
// options, report ids and table names that fit where the cursor is, as bash itself runs it.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/help_text.h"
#include "tests/support/run_command.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::RunProgram;
using testing::SubcommandsIn;

// Every command path the help lists, each with its help text.
std::vector<std::pair<std::string, std::string>> CommandsWithHelp() {
  std::vector<std::pair<std::string, std::string>> found;
  std::vector<std::vector<std::string>> pending = {{}};
  while (!pending.empty()) {
    const std::vector<std::string> path = pending.back();
    pending.pop_back();
    std::vector<std::string> args = path;
    args.push_back("--help");
    const auto r = RunProgram(VELMORA_BIN, args);
    EXPECT_EQ(r.status, 0) << ::testing::PrintToString(args);
    const std::string& help = r.out;
    std::string command = "velmora";
    for (const std::string& word : path) command += " " + word;
    // Every help shows examples of its own command.
    const size_t examples = help.find("Example");
    EXPECT_NE(examples, std::string::npos) << command;
    EXPECT_NE(help.find("  " + command, examples), std::string::npos)
        << command << " --help shows no example of itself:\n"
        << help;
    if (!path.empty()) found.emplace_back(command, help);
    for (const std::string& sub : SubcommandsIn(help)) {
      std::vector<std::string> next = path;
      next.push_back(sub);
      pending.push_back(next);
    }
  }
  return found;
}

std::string Roff(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
  return out;
}

TEST(ManPage, HasASectionPerCommandWithEveryOptionItsHelpNames) {
  const auto page = RunProgram(VELMORA_BIN, {"help-man"});
  ASSERT_EQ(page.status, 0) << page.err;
  const auto commands = CommandsWithHelp();
  EXPECT_GT(commands.size(), 30u);
  const std::regex option_name("--[a-z][a-z-]*");
  for (const auto& [command, help] : commands) {
    const size_t start = page.out.find(".SS \"" + command + "\"\n");
    ASSERT_NE(start, std::string::npos) << command << " has no section";
    const size_t end = std::min(page.out.find("\n.SS ", start + 1), page.out.find("\n.SH ", start));
    const std::string section = page.out.substr(start, end - start);
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option_name);
         it != std::sregex_iterator(); ++it) {
      if (it->str() == "--help") continue;  // told once, under OPTIONS
      EXPECT_NE(section.find(Roff(it->str())), std::string::npos)
          << command << ": " << it->str() << " is missing";
    }
  }
}

TEST(ManPage, TellsExitStatusFilesAndExamplesButNotTheHiddenCommands) {
  const auto page = RunProgram(VELMORA_BIN, {"help-man"});
  ASSERT_EQ(page.status, 0);
  for (const char* needle :
       {".TH VELMORA 1", ".SH NAME\nvelmora \\- ", ".SH SYNOPSIS", ".SH OPTIONS", ".SH COMMANDS",
        ".SH \"EXIT STATUS\"", ".TP\n\\fB0\\fR", ".TP\n\\fB2\\fR", ".SH \"FILES\"", "NAME/NAME.stw",
        "NAME/logs/", "NAME/database/", "NAME/reports/", "NAME/export/", "NAME/parsing.log",
        "velmora/preferences.ini", ".SH \"EXAMPLES\"", "\\fB\\-\\-version\\fR"}) {
    EXPECT_NE(page.out.find(needle), std::string::npos) << needle;
  }
  for (const char* hidden : {"velmora help\\-man", "velmora completion"}) {
    EXPECT_EQ(page.out.find(hidden), std::string::npos) << hidden;
  }
  // Nothing in a help text may turn into a roff request: every line that starts with a dot or a
  // quote is one the page means.
  const std::set<std::string> requests = {".TH", ".SH", ".SS", ".TP", ".PP", ".RS",  ".RE",
                                          ".nf", ".fi", ".br", ".nh", ".ad", ".\\\""};
  std::istringstream lines(page.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || (line[0] != '.' && line[0] != '\'')) continue;
    EXPECT_TRUE(requests.count(line.substr(0, line.find(' ')))) << line;
  }
}

class Completion : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto script = RunProgram(VELMORA_BIN, {"completion", "bash"});
    ASSERT_EQ(script.status, 0) << script.err;
    std::ofstream(dir_ / "velmora.bash") << script.out;
  }
  // The words bash offers for `words` with the cursor on the last one, as bash splits a line.
  std::set<std::string> Offered(const std::vector<std::string>& words) {
    std::vector<std::string> args = {
        "--norc",
        "--noprofile",
        "-c",
        "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _velmora; "
        "printf '%s\\n' \"${COMPREPLY[@]}\"",
        "bash",
        dir_ / "velmora.bash"};
    args.insert(args.end(), words.begin(), words.end());
    const auto r = RunProgram("/bin/bash", args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::set<std::string> offered;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty()) offered.insert(line);
    }
    return offered;
  }
  testing::TempDir dir_;
};

TEST_F(Completion, OffersWhatFitsWhereTheCursorIs) {
  using Words = std::vector<std::string>;
  const struct {
    Words line;
    std::set<std::string> offered;  // exactly these; empty: bash's file names instead
  } cases[] = {
      {{"velmora", "du"}, {"dump"}},
      {{"velmora", "rep"}, {"report", "reports"}},
      {{"velmora", "-w", "site", "pa"}, {"parse"}},  // the option's value is skipped
      {{"velmora", "--workspace", "=", "site", "pa"}, {"parse"}},
      {{"velmora", "--yes", "pa"}, {"parse"}},  // a flag takes no value
      {{"velmora", "--ver"}, {"--version"}},
      {{"velmora", "dump", "--"}, {"--index", "--errors", "--readable", "--help"}},
      {{"velmora", "dump", "Sess"}, {"Sessions"}},
      {{"velmora", "dump", "sessions", "Sess"}, {}},  // TABLE is taken
      {{"velmora", "report", "pagesre"}, {"pagesreq"}},
      {{"velmora", "report", "--limit", "pagesre"}, {}},  // a value for --limit
      {{"velmora", "report", "al"}, {}},
      {{"velmora", "export", "al"}, {"all"}},
      {{"velmora", "chart", "pagesre"}, {"pagesreq"}},
      {{"velmora", "settings", "s"}, {"show", "set"}},
      {{"velmora", "settings", "get", "session-t"}, {"session-timeout"}},
      {{"velmora", "rules", "move", "3", ""}, {"up", "down"}},
      {{"velmora", "-w", ""}, {}},
      {{"velmora", "help"}, {}},  // hidden commands stay hidden
      {{"velmora", "comp"}, {}},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& word : c.line) line += word + " ";
    EXPECT_EQ(Offered(c.line), c.offered) << line;
  }
}

TEST_F(Completion, OffersEveryCommandAndReportId) {
  std::set<std::string> commands;
  for (const auto& [command, help] : CommandsWithHelp()) {
    if (command.find(' ', 8) == std::string::npos) commands.insert(command.substr(8));
  }
  EXPECT_EQ(Offered({"velmora", ""}), commands);

  const auto tree = RunProgram(VELMORA_BIN, {"reports", "--format", "json"});
  const std::regex id("\"id\":\"([a-z0-9_]+)\"");
  std::set<std::string> ids;
  for (auto it = std::sregex_iterator(tree.out.begin(), tree.out.end(), id);
       it != std::sregex_iterator(); ++it) {
    ids.insert((*it)[1]);
  }
  EXPECT_GT(ids.size(), 100u);
  EXPECT_EQ(Offered({"velmora", "report", ""}), ids);
}

}  // namespace
}  // namespace velmora
