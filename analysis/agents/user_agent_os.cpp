#include "analysis/agents/user_agent_os.h"

#include <array>

namespace velmora {
namespace {

struct Rule {
  std::string_view text;
  std::string_view name;
};

// Compared with the text that starts at the first "win"; first match wins. The NT 6 and 10
// versions sit before the plain "windows nt", which would otherwise take them.
constexpr std::array<Rule, 15> kWindowsPrefixes = {{
    {"windows 98", "Windows 98"},
    {"windows nt 5.0", "Windows 2000"},
    {"windows nt 5.1", "Windows XP"},
    {"win95", "Windows 95"},
    {"win98", "Windows 98"},
    {"winnt", "Windows NT"},
    {"windows 95", "Windows 95"},
    {"windows me", "Windows ME"},
    {"windows nt 10.0", "Windows 10"},
    {"windows nt 6.3", "Windows 8.1"},
    {"windows nt 6.2", "Windows 8"},
    {"windows nt 6.1", "Windows 7"},
    {"windows nt 6.0", "Windows Vista"},
    {"windows nt", "Windows NT"},
    {"windows 2000", "Windows 2000"},
}};

// Texts without "win": anywhere in the text, first match wins. The mobile systems come first
// because their user agents also say "like Mac OS X" or "Linux".
constexpr std::array<Rule, 10> kOtherSystems = {{
    {"android", "Android"},
    {"iphone", "iOS"},
    {"ipad", "iOS"},
    {"ipod", "iOS"},
    {"; cros ", "Chrome OS"},
    {"mac", "Mac OS"},
    {"freebsd", "FreeBSD"},
    {"linux", "Linux"},
    {"unix", "Unix"},
    {"sunos", "Sun OS"},
}};

}  // namespace

std::string_view OperatingSystemName(std::string_view lowered) {
  const size_t w = lowered.find("win");
  if (w == std::string_view::npos) {
    for (const Rule& rule : kOtherSystems) {
      if (lowered.find(rule.text) != std::string_view::npos) return rule.name;
    }
    return "Unknown";
  }
  const std::string_view from_win = lowered.substr(w);
  if (from_win.find("win 9x 4.90") != std::string_view::npos) return "Windows ME";
  for (const Rule& rule : kWindowsPrefixes) {
    if (from_win.starts_with(rule.text)) return rule.name;
  }
  return "Windows";
}

}  // namespace velmora
