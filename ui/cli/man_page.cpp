#include "ui/cli/man_page.h"

#include <algorithm>
#include <sstream>

namespace velmora::cli {
namespace {

// Commands in the help are visible; a command without a group is an internal one.
std::vector<const CLI::App*> VisibleCommands(const CLI::App& app) {
  return app.get_subcommands(
      [](const CLI::App* sub) { return !sub->get_name().empty() && !sub->get_group().empty(); });
}

std::vector<const CLI::Option*> VisibleOptions(const CLI::App& app, bool with_help) {
  const CLI::Option* help = app.get_help_ptr();
  const CLI::Option* help_all = app.get_help_all_ptr();
  return app.get_options([&](const CLI::Option* o) {
    if (o->get_group().empty()) return false;
    return with_help || (o != help && o != help_all);
  });
}

bool IsPositional(const CLI::Option& o) { return !o.nonpositional(); }
bool TakesValue(const CLI::Option& o) { return o.get_items_expected_max() > 0; }
bool Repeats(const CLI::Option& o) {
  return o.get_items_expected_max() >= CLI::detail::expected_max_vector_size;
}

// `text` for a macro argument in double quotes.
std::string QuotedArgument(const std::string& text) {
  std::string out = "\"";
  for (char c : RoffText(text)) {
    if (c == '"') {
      out += "\\(dq";
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Bold(const std::string& text) { return "\\fB" + RoffText(text) + "\\fR"; }
std::string Italic(const std::string& text) { return "\\fI" + RoffText(text) + "\\fR"; }

// "velmora settings set" for the command `app`.
std::string CommandPath(const CLI::App& app) {
  std::string path = app.get_name();
  for (const CLI::App* at = app.get_parent(); at != nullptr; at = at->get_parent()) {
    path = at->get_name() + " " + path;
  }
  return path;
}

std::string OptionTerm(const CLI::Option& o) {
  if (IsPositional(o)) return Italic(o.get_name()) + (Repeats(o) ? " .\\|.\\|." : "");
  std::string term;
  for (const std::string& s : o.get_snames()) term += (term.empty() ? "" : ", ") + Bold("-" + s);
  for (const std::string& l : o.get_lnames()) term += (term.empty() ? "" : ", ") + Bold("--" + l);
  if (TakesValue(o)) term += " " + Italic(o.get_type_name());
  return term;
}

// The usage line of a command: its words, options, then its arguments in order.
std::string Usage(const CLI::App& app) {
  std::string usage = Bold(CommandPath(app));
  const std::vector<const CLI::Option*> options = VisibleOptions(app, false);
  if (std::any_of(options.begin(), options.end(),
                  [](const CLI::Option* o) { return !IsPositional(*o); })) {
    usage += " [" + Italic("options") + "]";
  }
  for (const CLI::Option* o : options) {
    if (!IsPositional(*o)) continue;
    std::string word = Italic(o->get_name()) + (Repeats(*o) ? "\\|.\\|.\\|." : "");
    usage += " " + (o->get_required() ? word : "[" + word + "]");
  }
  if (!VisibleCommands(app).empty()) usage += " " + Italic("command");
  return usage;
}

void AppendOptions(std::ostringstream& out, const std::vector<const CLI::Option*>& options) {
  // Arguments first, as the usage line names them, then the options.
  for (bool positional : {true, false}) {
    for (const CLI::Option* o : options) {
      if (IsPositional(*o) != positional) continue;
      out << ".TP\n" << OptionTerm(*o) << "\n" << RoffText(o->get_description()) << "\n";
    }
  }
}

// A footer as written for --help: lines of prose, and indented lines (examples, lists) that keep
// their layout. A prose line that introduces an indented block ("Examples:") starts a paragraph.
void AppendFooter(std::ostringstream& out, const std::string& footer) {
  std::vector<std::string> lines;
  std::istringstream in(footer);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  auto indented = [&](size_t i) { return i < lines.size() && lines[i].rfind("  ", 0) == 0; };
  bool in_block = false;
  bool paragraph = true;  // the next prose line starts a paragraph
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (in_block && !indented(i)) {
      out << ".fi\n.RE\n";
      in_block = false;
      paragraph = true;
    }
    if (line.find_first_not_of(' ') == std::string::npos) {
      paragraph = true;
    } else if (indented(i)) {
      if (!in_block) out << ".RS 2\n.nf\n";
      in_block = true;
      out << RoffText(line.substr(2)) << "\n";
    } else {
      if (paragraph || (line.back() == ':' && indented(i + 1))) out << ".PP\n";
      paragraph = false;
      out << RoffText(line) << "\n";
    }
  }
  if (in_block) out << ".fi\n.RE\n";
}

void AppendCommand(std::ostringstream& out, const CLI::App& command) {
  out << ".SS " << QuotedArgument(CommandPath(command)) << "\n";
  out << Usage(command) << "\n.PP\n" << RoffText(command.get_description()) << "\n";
  AppendOptions(out, VisibleOptions(command, false));
  // A command starts with its parent's footer; that one belongs to the parent.
  const std::string footer = command.get_footer();
  const CLI::App* parent = command.get_parent();
  if (parent == nullptr || footer != parent->get_footer()) AppendFooter(out, footer);
  for (const CLI::App* sub : VisibleCommands(command)) AppendCommand(out, *sub);
}

}  // namespace

std::string RoffText(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 16);
  bool line_start = true;
  for (char c : text) {
    if (line_start && c == '.') out += "\\&";
    line_start = c == '\n';
    switch (c) {
      case '\\':
        out += "\\e";
        break;
      case '-':
        out += "\\-";
        break;
      case '\'':
        out += "\\(aq";
        break;
      case '`':
        out += "\\(ga";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string RenderManPage(const CLI::App& app, const ManPageText& text) {
  std::ostringstream out;
  const std::string name = app.get_name();
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  out << ".\\\" Generated from the command table of " << name << " " << text.version
      << "; edit the help texts, not this page.\n";
  out << ".TH " << upper << " 1 \"\" " << QuotedArgument(name + " " + text.version)
      << " \"User Commands\"\n";
  // Option names and paths read better unbroken, and without the gaps of justified lines.
  out << ".nh\n.ad l\n";
  out << ".SH NAME\n" << RoffText(name) << " \\- " << RoffText(text.summary) << "\n";
  out << ".SH SYNOPSIS\n";
  for (size_t i = 0; i < text.synopsis.size(); ++i) {
    out << (i == 0 ? "" : ".br\n") << RoffText(text.synopsis[i]) << "\n";
  }
  out << ".SH DESCRIPTION\n" << RoffText(app.get_description()) << "\n";
  out << ".SH OPTIONS\n";
  AppendOptions(out, VisibleOptions(app, true));
  out << ".SH COMMANDS\n";
  for (const CLI::App* command : VisibleCommands(app)) AppendCommand(out, *command);
  for (const ManSection& section : text.sections) {
    out << ".SH " << QuotedArgument(section.title) << "\n";
    bool first = true;
    for (const ManItem& item : section.items) {
      if (item.term.empty()) {
        out << (first ? "" : ".PP\n") << RoffText(item.text) << "\n";
      } else {
        out << ".TP\n" << Bold(item.term) << "\n" << RoffText(item.text) << "\n";
      }
      first = false;
    }
  }
  return out.str();
}

}  // namespace velmora::cli
