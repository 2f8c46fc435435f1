#include "parsing/record_completion.h"

#include <algorithm>
#include <cstring>

#include "core/ascii.h"
#include "parsing/default_resource_rules.h"
#include "parsing/record_time.h"

namespace velmora {
namespace {

constexpr uint32_t kNotNumeric = 0xFFFFFFFF;

uint32_t RequestClassOf(const ParseOptions& options, LogRecord& record) {
  auto rules = [&options](std::string_view url) {
    return options.resource_rules ? options.resource_rules(url) : DefaultResourceClass(url);
  };
  if (!options.log_filters) return rules(record.uri_stem.view());

  // The filters run first: they may rewrite the resource the rules then see.
  const LogFilterVerdict verdict = options.log_filters(record);
  if (verdict.type_set && verdict.logging_set) return verdict.type | verdict.logging;
  uint32_t request_class = rules(record.uri_stem.view());
  if (verdict.type_set) {
    request_class =
        (request_class & ~kRequestClassTypeMask) | (verdict.type & kRequestClassTypeMask);
  }
  if (verdict.logging_set) {
    request_class =
        (request_class & kRequestClassTypeMask) | (verdict.logging & ~kRequestClassTypeMask);
  }
  return request_class;
}

void ReplaceAll(LogText& text, char from, char to) {
  // The character is rare (user agents seldom hold a '+'): jump from one to the next, and leave
  // a text without one as it is (a borrowed text would be copied in for writing).
  if (text.view().find(from) == std::string_view::npos) return;
  char* p = text.data();
  char* const end = p + text.size();
  while (p != end) {
    p = static_cast<char*>(std::memchr(p, from, static_cast<size_t>(end - p)));
    if (p == nullptr) break;
    *p++ = to;
  }
}

// `map` applied to every character, written only from the first one it changes on: most stems
// are lower case and most methods upper case already, and a borrowed text would be copied in
// for writing.
// A template argument, so that the mapping is inlined into the loops.
template <char (*map)(char)>
void MapInPlace(LogText& text) {
  const std::string_view view = text.view();
  const auto first = std::find_if(view.begin(), view.end(), [](char c) { return map(c) != c; });
  if (first == view.end()) return;
  char* chars = text.data();
  for (size_t i = static_cast<size_t>(first - view.begin()); i < text.size(); ++i) {
    chars[i] = map(chars[i]);
  }
}

}  // namespace

uint32_t ClientAddressOf(std::string_view host) {
  if (host.empty()) return 0;
  uint32_t address = 0;
  uint32_t group = 0;
  int groups = 0;
  for (size_t i = 0; i <= host.size(); ++i) {
    const char c = i < host.size() ? host[i] : '.';  // the end closes the last group
    if (c >= '0' && c <= '9') {
      group = group * 10 + static_cast<uint32_t>(c - '0');
      if (group > 255) return kNotNumeric;
    } else if (c == '.') {
      if (++groups > 4) return kNotNumeric;
      address = (address << 8) | group;
      group = 0;
    } else {
      return kNotNumeric;
    }
  }
  return address;
}

bool CompleteRecord(const ParseOptions& options, LogRecord& record) {
  TimeFromDateTimeText(record);
  ShiftRecordTime(record, options.time_offset_seconds);

  if (!record.uri_stem.empty()) {
    const char last = record.uri_stem.view().back();
    if (last == '/' || last == '\\') record.uri_stem.append(options.default_file);
  }

  record.client_address = ClientAddressOf(record.client_host.view());

  record.request_class = RequestClassOf(options, record);
  if ((record.request_class & ~kRequestClassTypeMask) == 0) return false;

  const size_t fragment = record.referrer.view().find('#');
  if (fragment != std::string_view::npos) record.referrer.truncate(fragment);
  ReplaceAll(record.user_agent, '+', ' ');
  MapInPlace<AsciiLower>(record.uri_stem);
  MapInPlace<AsciiUpper>(record.method);
  return true;
}

}  // namespace velmora
