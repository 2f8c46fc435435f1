// Examples for the --help of the commands whose own registration gives none, kept as one table
// so that every command's help ends with examples of that very command.
#include <string_view>

#include "ui/cli/commands.h"

namespace velmora::cli {
namespace {

struct Examples {
  std::string_view path;  // the command's words after "velmora"
  std::string_view lines;
};

constexpr Examples kExamples[] = {
    {"settings show", "velmora settings show\nvelmora -w ~/sites/example settings show"},
    {"settings keys", "velmora settings keys"},
    {"settings get", "velmora settings get session-timeout\nvelmora settings get server-names"},
    {"settings set",
     "velmora settings set session-timeout 20\nvelmora settings set log-format-mode custom\n"
     "velmora settings set your-time-zone UTC+01:00\nvelmora settings set server-time-zone "
     "London"},
    {"settings export", "velmora settings export site.json\nvelmora settings export"},
    {"settings import", "velmora settings import site.json\nvelmora settings import - < site.json"},
    {"tip", "velmora tip"},
    {"recent", "velmora recent"},
    {"reset", "velmora reset\nvelmora --yes reset && velmora parse   parse every log again"},
    {"inspect line",
     "velmora inspect line '1.2.3.4 - - [10/Oct/2000:13:55:36 -0700] \"GET / HTTP/1.0\" 200 "
     "2326'"},
    {"inspect detect", "velmora inspect detect logs/access.log.gz"},
    {"inspect ua",
     "velmora inspect ua 'Mozilla/5.0 (X11; Linux x86_64; rv:120.0) Gecko/20100101 "
     "Firefox/120.0'"},
    {"inspect referrer", "velmora inspect referrer 'https://www.google.com/search?q=web+logs'"},
    {"inspect rules", "velmora inspect rules /docs/guide.pdf"},
    {"inspect ip", "velmora inspect ip 193.0.6.139"},
    {"inspect host", "velmora inspect host dialup-4.example.co.uk"},
};

CLI::App* Find(CLI::App& app, std::string_view path) {
  CLI::App* at = &app;
  while (at != nullptr && !path.empty()) {
    const size_t blank = path.find(' ');
    const std::string word(path.substr(0, blank));
    path = blank == std::string_view::npos ? std::string_view() : path.substr(blank + 1);
    try {
      at = at->get_subcommand(word);
    } catch (const CLI::OptionNotFound&) {
      return nullptr;
    }
  }
  return at;
}

}  // namespace

void AddMissingExamples(CLI::App& app) {
  for (const Examples& e : kExamples) {
    CLI::App* command = Find(app, e.path);
    if (command == nullptr) continue;
    const std::string own = command->get_footer();
    if (own.find("  velmora " + std::string(e.path)) != std::string::npos) continue;
    // A subcommand starts with its parent's footer, whose examples are of another command.
    const CLI::App* parent = command->get_parent();
    std::string text = parent != nullptr && own == parent->get_footer() ? "" : own;
    text += "\nExamples:";
    for (std::string_view lines = e.lines; !lines.empty();) {
      const size_t end = lines.find('\n');
      text += "\n  " + std::string(lines.substr(0, end));
      lines = end == std::string_view::npos ? std::string_view() : lines.substr(end + 1);
    }
    command->footer(text);
  }
}

}  // namespace velmora::cli
