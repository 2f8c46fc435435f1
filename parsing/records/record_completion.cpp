#include "parsing/records/record_completion.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

#include "core/ascii.h"
#include "parsing/records/default_resource_rules.h"
#include "parsing/records/record_time.h"

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
  uint32_t request_class = 0;
  if (verdict.type_set && verdict.logging_set) {
    request_class = verdict.type | verdict.logging;
  } else {
    request_class = rules(record.uri_stem.view());
    if (verdict.type_set) {
      request_class =
          (request_class & ~kRequestClassTypeMask) | (verdict.type & kRequestClassTypeMask);
    }
    if (verdict.logging_set) {
      request_class =
          (request_class & kRequestClassTypeMask) | (verdict.logging & ~kRequestClassTypeMask);
    }
  }
  if (CompletionTally* tally = options.tally.get()) {
    if (verdict.logging_set && (request_class & ~kRequestClassTypeMask) == 0) {
      ++tally->dropped_by_filters;
    } else if (verdict.type_set) {
      ++tally->typed_by_filters;
    }
  }
  return request_class;
}

void ReplaceAll(LogText& text, char from, char to) {
  // A text without the character is left as it is (a borrowed text would be copied in for
  // writing). One that has it is mostly a W3C user agent with a '+' for every blank, a dozen of
  // them: sixteen bytes at a time, not a jump from one to the next.
  const size_t first = text.view().find(from);
  if (first == std::string_view::npos) return;
  char* p = text.data();
  const size_t n = text.size();
  size_t i = first;
#if defined(__SSE2__)
  const __m128i match = _mm_set1_epi8(from);
  const __m128i with = _mm_set1_epi8(to);
  for (; n - i >= 16; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hits = _mm_cmpeq_epi8(bytes, match);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i),
                     _mm_or_si128(_mm_andnot_si128(hits, bytes), _mm_and_si128(hits, with)));
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == from) p[i] = to;
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
  // A group at a time (its digits, then the dot or the end that closes it): this runs for every
  // request, and a branch per character on its kind would cost more than the rest of the line.
  const char* p = host.data();
  const char* const end = p + host.size();
  uint32_t address = 0;
  for (int groups = 1;; ++groups) {
    uint32_t group = 0;
    for (; p != end && static_cast<unsigned char>(*p - '0') <= 9; ++p) {
      group = group * 10 + static_cast<uint32_t>(*p - '0');
      if (group > 255) return kNotNumeric;
    }
    if (groups > 4) return kNotNumeric;
    address = (address << 8) | group;
    if (p == end) return address;
    if (*p++ != '.') return kNotNumeric;
  }
}

bool CompleteRecord(const ParseOptions& options, LogRecord& record) {
  TimeFromDateTimeText(record);
  ShiftRecordTime(record, options.time_offset_seconds);

  if (!record.uri_stem.empty()) {
    const char last = record.uri_stem.view().back();
    if (last == '/' || last == '\\') record.uri_stem.append(options.default_file);
  }

  record.client_address = ClientAddressOf(record.client_host.view());

  if (options.tally) ++options.tally->requests;
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
