// What a person can do with one cell of a report: look up a dotted IPv4 address in the whois
// service of a regional registry, open a web or file-transfer address, and always copy the
// text. The whois query addresses are preferences ([Whois] ARIN, RIPE, APNIC, LACNIC): each is
// the start of a query URL to which the address is appended.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workspace/preferences.h"

namespace velmora {

struct WhoisRegistry {
  std::string_view action;   // "whois-arin", ...
  std::string_view name;     // the preference name: "ARIN", ...
  std::string_view caption;  // "Run whois search on the ARIN", ...
  std::string_view default_query;
};
std::span<const WhoisRegistry> WhoisRegistries();
inline constexpr std::string_view kWhoisSection = "Whois";

// The actions of a cell showing `text`, in menu order: the four whois searches for a dotted
// IPv4 address, "open" for an http, https or ftp address, then "copy".
std::vector<std::string_view> CellActions(std::string_view text);

// The query URL of `registry` for `address`, from the preferences or the registry's default.
std::string WhoisQueryUrl(const Preferences& preferences, const WhoisRegistry& registry,
                          std::string_view address);

}  // namespace velmora
