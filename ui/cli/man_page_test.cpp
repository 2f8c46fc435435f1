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

class ManPageOf : public ::testing::Test {
 protected:
  ManPageOf() : app_("A tool.", "tool") {
    app_.footer("\nExamples:\n  tool go\n");
    app_.add_flag("--quiet", quiet_, "say less");
    CLI::App* go = app_.add_subcommand("go", "go somewhere");
    go->add_option("PLACE", place_, "where to")->required();
    go->add_option("-n,--times", times_, "how often");
    go->footer("Goes there.\n\nTwice if asked.\nExample:\n  tool go home\n  tool go -n 2 work");
    CLI::App* stay = app_.add_subcommand("stay", "stay put");  // keeps the tool's footer
    stay->add_subcommand("here", "right here");
    app_.add_subcommand("secret", "not for people")->group("");
    page_ = RenderManPage(
        app_, {"do things", "1.2", {"tool COMMAND"}, {{"EXIT STATUS", {{"0", "fine"}}}}});
  }
  bool Has(const std::string& text) const { return page_.find(text) != std::string::npos; }

  CLI::App app_;
  std::string place_;
  int times_ = 0;
  bool quiet_ = false;
  std::string page_;
};

TEST_F(ManPageOf, ListsEachCommandWithItsArgumentsAndOptions) {
  EXPECT_TRUE(Has(".TH TOOL 1 \"\" \"tool 1.2\""));
  EXPECT_TRUE(Has(".SH NAME\ntool \\- do things\n"));
  EXPECT_TRUE(Has(".TP\n\\fB\\-\\-quiet\\fR\nsay less\n"));
  EXPECT_TRUE(Has(".SS \"tool go\"\n\\fBtool go\\fR [\\fIoptions\\fR] \\fIPLACE\\fR\n"));
  EXPECT_TRUE(
      Has(".TP\n\\fIPLACE\\fR\nwhere to\n.TP\n\\fB\\-n\\fR, \\fB\\-\\-times\\fR \\fIINT\\fR"));
  EXPECT_TRUE(Has(".SS \"tool stay here\"\n"));
  EXPECT_FALSE(Has("secret"));
  EXPECT_TRUE(Has(".SH \"EXIT STATUS\"\n.TP\n\\fB0\\fR\nfine\n"));
}

TEST_F(ManPageOf, KeepsExamplesAsWrittenAndLeavesTheParentsFooterToTheParent) {
  EXPECT_TRUE(
      Has(".PP\nGoes there.\n.PP\nTwice if asked.\n.PP\nExample:\n.RS 2\n.nf\ntool go home\n"
          "tool go \\-n 2 work\n.fi\n.RE\n"));
  const size_t stay = page_.find(".SS \"tool stay\"");
  ASSERT_NE(stay, std::string::npos);
  EXPECT_EQ(page_.find("tool go\n", stay), std::string::npos) << "the tool's example under stay";
}

}  // namespace
}  // namespace velmora::cli
