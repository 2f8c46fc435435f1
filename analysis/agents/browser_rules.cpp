#include "analysis/agents/browser_rules.h"

#include <array>

namespace velmora {
namespace {

constexpr size_t kMaxName = 2048;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

struct Rule {
  std::string_view token;
  std::string_view name;
};

// The original chain before the Mozilla tests: first match wins.
constexpr std::array<Rule, 12> kClassicRules = {{
    {"opera", "Opera"},
    {"aol 7.", "AOL 7.x"},
    {"aol 6.", "AOL 6.x"},
    {"aol 5.", "AOL 5.x"},
    {"aol 4.", "AOL 4.x"},
    {"aol ", "AOL"},
    {"httrack ", "HTTrack"},
    {"msie 6.", "MSIE 6.x"},
    {"msie 5.", "MSIE 5.x"},
    {"msie 4.", "MSIE 4.x"},
    {"msie 3.", "MSIE 3.x"},
    {"msie", "MSIE"},
}};

// The Mozilla chain, tested on the text after the first "mozilla". The version tests look
// anywhere in that rest, not only right after the slash ("mozilla/4.78 ... linux 2.4.7" is
// "Netscape 2.x").
constexpr std::array<Rule, 10> kMozillaRules = {{
    {"2.", "Netscape 2.x"},
    {"3.", "Netscape 3.x"},
    {"4.7", "Netscape 4.7x"},
    {"4.", "Netscape 4.x"},
    {"netscape6", "Netscape 6"},
    {"netscape/7", "Netscape 7"},
    {"netscape7", "Netscape 7"},
    {"5.", "Mozilla 5.x"},
    {"6.", "Mozilla 6.x"},
    {"7.", "Mozilla 7.x"},
}};

// Today's browsers, by their own tokens. Browsers built on Chrome carry "Chrome/" and
// "Safari/" besides their own token, so they come first, Chrome before Safari. The version is
// the major number after the token that matched; Safari's is after "version/".
struct ModernRule {
  std::array<std::string_view, 4> tokens;
  std::string_view name;
};

constexpr std::array<ModernRule, 7> kModernRules = {{
    {{"edg/", "edge/", "edga/", "edgios/"}, "Edge"},
    {{"opr/"}, "Opera"},
    {{"yabrowser/"}, "Yandex Browser"},
    {{"samsungbrowser/"}, "Samsung Internet"},
    {{"firefox/", "fxios/"}, "Firefox"},
    {{"chrome/", "crios/"}, "Chrome"},
    {{"safari/"}, "Safari"},
}};

// `name`, then a space and the digits that follow `at` in `lowered` (at most 5), if any.
std::string WithMajorVersion(std::string_view name, std::string_view lowered, size_t at) {
  std::string out(name);
  size_t end = at;
  while (end < lowered.size() && end - at < 5 && lowered[end] >= '0' && lowered[end] <= '9') {
    ++end;
  }
  if (end > at) {
    out += ' ';
    out.append(lowered.substr(at, end - at));
  }
  return out;
}

std::string ModernBrowser(std::string_view lowered) {
  for (const ModernRule& rule : kModernRules) {
    for (std::string_view token : rule.tokens) {
      if (token.empty()) break;
      const size_t at = lowered.find(token);
      if (at == std::string_view::npos) continue;
      if (rule.name == "Safari") {
        const size_t version = lowered.find("version/");
        if (version == std::string_view::npos) return std::string(rule.name);
        return WithMajorVersion(rule.name, lowered, version + 8);
      }
      return WithMajorVersion(rule.name, lowered, at + token.size());
    }
  }
  return {};
}

bool OnlyCapitals(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

}  // namespace

std::string ProductToken(std::string_view logged) {
  if (OnlyCapitals(logged)) return "Unknown";
  size_t end = logged.find('/');
  if (end != std::string_view::npos) {
    // A '(' shortens the token to the last non-space character before it, when that comes
    // before the slash ("Foo (compatible) Bar/1.0" is "Foo").
    const size_t paren = logged.find('(');
    if (paren != std::string_view::npos) {
      size_t cut = paren;
      while (cut > 0 && logged[cut - 1] == ' ') --cut;
      if (cut < end) end = cut;
    }
  } else {
    end = logged.find(' ');
  }
  std::string_view token = logged.substr(0, end);  // npos: the whole text
  if (token.size() > kMaxName) token = token.substr(0, kMaxName);
  return std::string(token);
}

std::string BrowserName(std::string_view logged, std::string_view lowered) {
  for (const Rule& rule : kClassicRules) {
    if (Contains(lowered, rule.token)) return std::string(rule.name);
  }
  if (std::string modern = ModernBrowser(lowered); !modern.empty()) return modern;
  if (const size_t at = lowered.find("mozilla"); at != std::string_view::npos) {
    const std::string_view rest = lowered.substr(at + 7);
    for (const Rule& rule : kMozillaRules) {
      if (Contains(rest, rule.token)) return std::string(rule.name);
    }
    return "Mozilla";
  }
  return ProductToken(logged);
}

}  // namespace velmora
