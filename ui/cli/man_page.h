// The manual page velmora(1), written in roff from the command table itself: a section per
// command with every option and its help text, so the page says what `--help` says. The texts
// the table does not hold (exit statuses, files, examples) come in as plain sections.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace velmora::cli {

// One paragraph of a plain section: with a term, an indented item under it (.TP); without, a
// paragraph of its own.
struct ManItem {
  std::string term;
  std::string text;
};

struct ManSection {
  std::string title;  // e.g. "EXIT STATUS"
  std::vector<ManItem> items;
};

struct ManPageText {
  std::string summary;  // the NAME line after "velmora - "
  std::string version;  // e.g. "0.1.0"
  std::vector<std::string> synopsis;
  std::vector<ManSection> sections;  // after COMMANDS, in this order
};

// The page for `app`: NAME, SYNOPSIS, DESCRIPTION (the app's description), OPTIONS (the global
// ones), COMMANDS (every visible command, nested ones under theirs), then `text.sections`.
std::string RenderManPage(const CLI::App& app, const ManPageText& text);

// `text` made safe as roff body text: escapes, and no line that starts like a request.
std::string RoffText(const std::string& text);

}  // namespace velmora::cli
