// Google Cloud Storage usage logs: CSV with a header line, every value in double quotes (a quote
// inside doubled). The columns come in the order the documentation gives; later versions may
// append more, which are ignored.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "parsing/formats/named_layouts.h"
#include "parsing/records/record_time.h"

namespace velmora {
namespace {

enum GcsColumn : size_t {
  kTimeMicros,
  kClientIp,
  kClientIpType,
  kClientIpRegion,
  kMethod,
  kUri,
  kStatus,
  kBytesReceived,
  kBytesSent,
  kTimeTakenMicros,
  kHost,
  kReferrer,
  kUserAgent,
  kColumnsRead,  // the columns after these are not read
};

// Splits one CSV line into its first kColumnsRead values; false when it has fewer or a quote is
// left open.
bool SplitCsv(std::string_view line, std::array<std::string, kColumnsRead>& values) {
  size_t i = 0;
  for (size_t column = 0; column < kColumnsRead; ++column) {
    std::string& value = values[column];
    value.clear();
    if (i < line.size() && line[i] == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) return false;
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            value.push_back('"');
            ++i;
            continue;
          }
          ++i;
          break;
        }
        value.push_back(line[i]);
      }
    } else {
      const size_t end = std::min(line.find(',', i), line.size());
      value.assign(line.substr(i, end - i));
      i = end;
    }
    if (column + 1 == kColumnsRead) return i == line.size() || line[i] == ',';
    if (i >= line.size() || line[i] != ',') return false;
    ++i;
  }
  return true;
}

// A whole decimal number of at most 18 digits, or -1.
int64_t Digits(std::string_view text) {
  if (text.empty() || text.size() > 18) return -1;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

int32_t Count(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, 0, INT32_MAX));
}

}  // namespace

bool ParseGcsUsageLine(std::string_view line, LogRecord& record) {
  std::array<std::string, kColumnsRead> values;
  if (!SplitCsv(line, values)) return false;
  const int64_t micros = Digits(values[kTimeMicros]);
  const int64_t status = Digits(values[kStatus]);
  if (micros < 0 || status < 100 || status > 599) return false;
  if (values[kMethod].empty() || values[kUri].empty()) return false;
  SetUnixTime(record, static_cast<uint64_t>(micros / 1'000'000));
  record.client_host.assign(values[kClientIp]);
  record.method.assign(values[kMethod]);
  SetRequestTarget(record, values[kUri]);
  record.status = static_cast<int32_t>(status);
  record.bytes_received = Count(Digits(values[kBytesReceived]));
  record.bytes_sent = Count(Digits(values[kBytesSent]));
  record.time_taken = Count(Digits(values[kTimeTakenMicros]) / 1000);
  record.host_header.assign(values[kHost]);
  record.referrer.assign(values[kReferrer]);
  record.user_agent.assign(values[kUserAgent]);
  return true;
}

}  // namespace velmora
