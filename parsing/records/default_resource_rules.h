// The resource rules of a new workspace: fifteen file masks, tried in order, the first match
// giving the request class. Parsing uses them when the caller supplies no rules of its own; the
// workspace installs the same list into a new workspace's settings.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velmora {

struct ResourceMaskEntry {
  std::string_view mask;
  uint32_t request_class;  // resource type | logging flag
  int32_t group;           // the rule the mask came from
};

// The fifteen masks, in the order they are tried.
std::span<const ResourceMaskEntry> DefaultResourceMaskEntries();

// The class of the first mask in `masks` that matches `url`; 0x200 (undefined, logged as
// non-visit) when none does or the list is empty.
uint32_t ClassifyResource(std::span<const ResourceMaskEntry> masks, std::string_view url);

// ClassifyResource over the default masks.
uint32_t DefaultResourceClass(std::string_view url);

}  // namespace velmora
