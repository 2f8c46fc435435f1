#include "app/cell_actions.h"

#include <array>

namespace velmora {
namespace {

constexpr std::array<WhoisRegistry, 4> kRegistries = {{
    {"whois-arin", "ARIN", "Run whois search on the ARIN", "https://search.arin.net/rdap/?query="},
    {"whois-ripe", "RIPE", "Run whois search on the RIPE",
     "https://apps.db.ripe.net/db-web-ui/query?searchtext="},
    {"whois-apnic", "APNIC", "Run whois search on the APNIC",
     "https://wq.apnic.net/static/search.html?query="},
    {"whois-lacnic", "LACNIC", "Run whois search on the LACNIC",
     "https://query.milacnic.lacnic.net/search?id="},
}};

// Four groups of 1 to 3 digits, each at most 255, separated by dots, and nothing else.
bool IsDottedIpv4(std::string_view text) {
  int groups = 0;
  size_t i = 0;
  while (groups < 4) {
    size_t digits = 0;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
      value = value * 10 + (text[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    if (++groups < 4) {
      if (i >= text.size() || text[i] != '.') return false;
      ++i;
    }
  }
  return i == text.size();
}

}  // namespace

std::span<const WhoisRegistry> WhoisRegistries() { return kRegistries; }

std::vector<std::string_view> CellActions(std::string_view text) {
  std::vector<std::string_view> actions;
  if (IsDottedIpv4(text)) {
    for (const WhoisRegistry& registry : kRegistries) actions.push_back(registry.action);
  }
  for (std::string_view scheme : {"http://", "https://", "ftp://"}) {
    if (text.starts_with(scheme)) actions.push_back("open");
  }
  actions.push_back("copy");
  return actions;
}

std::string WhoisQueryUrl(const Preferences& preferences, const WhoisRegistry& registry,
                          std::string_view address) {
  const std::optional<std::string> stored = preferences.Get(kWhoisSection, registry.name);
  return (stored && !stored->empty() ? *stored : std::string(registry.default_query)) +
         std::string(address);
}

}  // namespace velmora
