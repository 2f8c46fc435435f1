// The traffic of one imaginary site over a range of days, one request at a time in the order a
// server writes them. Visits start as a day-shaped random process whose rate is steered so that
// exactly the requested number of lines spans the range; each visit is planned whole when it
// starts (a page, then its pictures, style sheets and scripts, think time, the next page, now
// and then a download or a form) and the visits in progress are interleaved by time. About one
// line in a hundred carries a time a few seconds earlier than the line before it, as servers
// with several workers write them. The output is a pure function of the options.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "bench/loggen/site_model.h"

namespace velmora::loggen {

struct TrafficOptions {
  uint64_t lines = 0;
  uint64_t seed = 1;
  int64_t span_seconds = 7 * 86400;  // the requests fall into [0, span), give or take a visit
  uint32_t visitors = 0;             // 0: about one visitor per 30 lines
};

// One line's worth of request. The views stay valid until the next call of Next().
struct Request {
  int64_t time = 0;              // seconds since the start of the range, as written
  uint32_t client_address = 0;   // IPv4, first octet in the high byte
  std::string_view client_host;  // reverse-DNS name; empty when the client has none
  std::string_view user;         // authenticated user; empty for none
  std::string_view method;       // "GET", "HEAD" or "POST"
  const Resource* resource = nullptr;
  uint16_t status = 200;
  uint16_t server_port = 80;
  uint32_t win32_status = 0;  // what IIS logs beside the HTTP status
  uint64_t bytes_sent = 0;
  uint32_t bytes_received = 0;
  uint32_t time_taken_ms = 0;
  std::string_view referrer;    // the whole URL; empty for none
  std::string_view user_agent;  // empty for none
  bool http10 = false;
};

class TrafficModel {
 public:
  explicit TrafficModel(const TrafficOptions& options);
  ~TrafficModel();
  TrafficModel(const TrafficModel&) = delete;
  TrafficModel& operator=(const TrafficModel&) = delete;

  // Fills `out` with the next request; false once `lines` requests have been made.
  bool Next(Request& out);

  const Site& site() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace velmora::loggen
