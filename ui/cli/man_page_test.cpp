#include "ui/cli/man_page.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

TEST(RoffText, HelpTextNeverTurnsIntoRequestsOrEscapes) {
  const struct {
    const char* text;
    const char* roff;
  } cases[] = {
      {"plain words", "plain words"},
      {"--yes and kebab-case", "\\-\\-yes and kebab\\-case"},
      {".stw files", "\\&.stw files"},
      {"two lines\n.hidden", "two lines\n\\&.hidden"},
      {"a . in the middle", "a . in the middle"},
      {"'all' or `x`", "\\(aqall\\(aq or \\(gax\\(ga"},
      {"Velmora\\ Workspaces", "Velmora\\e Workspaces"},
      {"\\fBnot bold", "\\efBnot bold"},
  };
  for (const auto& c : cases) EXPECT_EQ(RoffText(c.text), c.roff) << c.text;
}

// A made-up tool's page, for what the real one has no case of: how arguments and options are
// set out, examples kept as written, and a parent's footer left to the parent.
TEST(ManPage, SetsOutArgumentsAndKeepsExamplesWhereTheyBelong) {
  CLI::App app("A tool.", "tool");
  std::string place;
  int times = 0;
  bool quiet = false;
  app.footer("\nExamples:\n  tool go\n");
  app.add_flag("--quiet", quiet, "say less");
  CLI::App* go = app.add_subcommand("go", "go somewhere");
  go->add_option("PLACE", place, "where to")->required();
  go->add_option("-n,--times", times, "how often");
  go->footer("Goes there.\n\nTwice if asked.\nExample:\n  tool go home\n  tool go -n 2 work");
  app.add_subcommand("stay", "stay put");  // keeps the tool's footer
  const std::string page = RenderManPage(app, {"do things", "1.2", {"tool COMMAND"}, {}});
  for (const char* text :
       {".TP\n\\fB\\-\\-quiet\\fR\nsay less\n",
        ".SS \"tool go\"\n\\fBtool go\\fR [\\fIoptions\\fR] \\fIPLACE\\fR\n",
        ".TP\n\\fIPLACE\\fR\nwhere to\n.TP\n\\fB\\-n\\fR, \\fB\\-\\-times\\fR \\fIINT\\fR",
        ".PP\nGoes there.\n.PP\nTwice if asked.\n.PP\nExample:\n.RS 2\n.nf\ntool go home\n"
        "tool go \\-n 2 work\n.fi\n.RE\n"}) {
    EXPECT_NE(page.find(text), std::string::npos) << text;
  }
  const size_t stay = page.find(".SS \"tool stay\"");
  ASSERT_NE(stay, std::string::npos);
  EXPECT_EQ(page.find("tool go\n", stay), std::string::npos) << "the tool's example under stay";
}

}  // namespace
}  // namespace velmora::cli
