#include "parsing/records/default_resource_rules.h"

#include <array>

#include "parsing/records/log_record.h"
#include "platform/file_mask.h"

namespace velmora {
namespace {

// Group 0 drops the probes of well-known worms before "*.exe" could count them as downloads.
constexpr std::array<ResourceMaskEntry, 15> kDefaultMasks = {{
    {"/default.ida", 0x000, 0},
    {"*/root.exe", 0x000, 0},
    {"*/cmd.exe", 0x000, 0},
    {"*.asp", 0x101, 1},
    {"*.aspx", 0x101, 1},
    {"*.htm", 0x101, 1},
    {"*.html", 0x101, 1},
    {"*.shtm", 0x101, 1},
    {"*.shtml", 0x101, 1},
    {"*.php", 0x101, 1},
    {"*.cgi", 0x101, 1},
    {"*.zip", 0x102, 2},
    {"*.exe", 0x102, 2},
    {"/favicon.ico", 0x203, 3},
    {"*", 0x200, 4},
}};

}  // namespace

std::span<const ResourceMaskEntry> DefaultResourceMaskEntries() { return kDefaultMasks; }

uint32_t ClassifyResource(std::span<const ResourceMaskEntry> masks, std::string_view url) {
  for (const ResourceMaskEntry& entry : masks) {
    if (MatchFileMask(entry.mask, url)) return entry.request_class;
  }
  return kRequestClassNonVisit;
}

uint32_t DefaultResourceClass(std::string_view url) { return ClassifyResource(kDefaultMasks, url); }

}  // namespace velmora
