#include "parsing/record_completion.h"

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
  // The character is rare (user agents seldom hold a '+'): jump from one to the next.
  char* p = text.data();
  char* const end = p + text.size();
  while (p != end) {
    p = static_cast<char*>(std::memchr(p, from, static_cast<size_t>(end - p)));
    if (p == nullptr) break;
    *p++ = to;
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
  char* stem = record.uri_stem.data();
  for (size_t i = 0; i < record.uri_stem.size(); ++i) stem[i] = AsciiLower(stem[i]);
  char* method = record.method.data();
  for (size_t i = 0; i < record.method.size(); ++i) method[i] = AsciiUpper(method[i]);
  return true;
}

}  // namespace velmora
