#include "parsing/formats/named_layouts.h"

#include <array>

namespace velmora {
namespace {

// The header of a usage log names its first column first.
constexpr std::array<NamedLayout, 3> kNamedLayouts = {{
    {"%{gcs}", ParseGcsUsageLine, "\"time_micros\""},
    {"%{caddy}", ParseCaddyJsonLine, ""},
    {"%{traefik}", ParseTraefikJsonLine, ""},
}};

}  // namespace

const NamedLayout* FindNamedLayout(std::string_view format) {
  for (const NamedLayout& layout : kNamedLayouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}

void SetRequestTarget(LogRecord& record, std::string_view target) {
  const size_t question = target.find('?');
  record.uri_stem.assign(target.substr(0, question));
  if (question != std::string_view::npos) record.query.assign(target.substr(question + 1));
}

}  // namespace velmora
