// LogRecord: one parsed request, the single record every parser fills and every analysis step
// reads. It is reused for every line of a file and reset before each, so it holds its texts in
// fixed inline buffers: reading a line never allocates.
//
// Invariants:
//  - Every LogText holds at most 2,048 characters; writes longer than that are cut, never
//    rejected and never overflowing. A text may borrow its characters (FixedText).
//  - After Reset every text is empty, error_id is -1, referrer_kind is 1 and every other number
//    (the calendar fields included) is 0.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/tick_time.h"

namespace velmora {

// A text of at most N characters kept inline (not zero-terminated: clearing a record touches one
// word per text, not the buffers' cache lines as well). It may instead borrow its
// characters from memory that outlives its use (the line a record was matched in, the packed
// record the analysis reads), so they are not copied again; any change makes it copy them in
// first, and a copy of the text always owns its characters. Read it through view().
template <size_t N>
class FixedText {
 public:
  static constexpr size_t kCapacity = N;

  FixedText() = default;
  FixedText(const FixedText& other) { assign(other.view()); }
  FixedText& operator=(const FixedText& other) {
    if (this != &other) assign(other.view());
    return *this;
  }

  std::string_view view() const { return {chars(), size_}; }
  char* data() {
    Own();
    return data_;
  }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  void clear() {
    borrowed_ = nullptr;
    size_ = 0;
  }
  // Replaces the text with `s`, cut to the capacity.
  void assign(std::string_view s) {
    const size_t n = std::min(s.size(), N);
    std::copy_n(s.data(), n, data_);  // before forgetting a borrowed text `s` may lie in
    borrowed_ = nullptr;
    size_ = n;
  }
  // Appends as much of `s` as still fits.
  void append(std::string_view s) {
    Own();
    const size_t n = std::min(s.size(), N - size_);
    std::copy_n(s.data(), n, data_ + size_);
    size_ += n;
  }
  // Keeps the first `n` characters (no effect when the text is shorter).
  void truncate(size_t n) {
    if (n < size_) {
      Own();
      size_ = n;
    }
  }
  // Points the text at the `n` (at most N) characters at `chars`; they must stay unchanged until
  // the text is next changed or destroyed.
  void borrow(const char* chars, size_t n) {
    borrowed_ = chars;
    size_ = std::min(n, N);
  }

 private:
  const char* chars() const { return borrowed_ != nullptr ? borrowed_ : data_; }
  void Own() {
    if (borrowed_ == nullptr) return;
    std::copy_n(borrowed_, size_, data_);
    borrowed_ = nullptr;
  }

  const char* borrowed_ = nullptr;
  size_t size_ = 0;
  char data_[N] = {};
};

inline constexpr size_t kLogTextCapacity = 2048;
using LogText = FixedText<kLogTextCapacity>;

// Bits of a request class above the resource type in its low byte.
inline constexpr uint32_t kRequestClassTypeMask = 0xFF;
inline constexpr uint32_t kRequestClassVisit = 0x100;     // counts as visit traffic
inline constexpr uint32_t kRequestClassNonVisit = 0x200;  // logged, not part of visits

// The calendar time of a record that has none: every field 0.
inline constexpr CalendarTime kZeroCalendarTime{0, 0, 0, 0, 0, 0, 0, 0};

struct LogRecord {
  LogText date_time;  // W3C only: the date and time columns joined by one blank
  LogText client_host;
  uint32_t client_address = 0;  // 0xFFFFFFFF when the host is not a numeric address
  LogText user_name;
  LogText site_name;
  LogText server_name;
  LogText server_address;
  int32_t server_port = 0;
  LogText method;
  int32_t status = 0;
  int32_t error_id = -1;
  LogText uri_stem;
  uint32_t resource_id = 0;
  LogText query;
  int32_t bytes_sent = 0;
  int32_t bytes_received = 0;
  int32_t time_taken = 0;  // milliseconds
  LogText protocol_version;
  LogText host_header;
  LogText user_agent;
  uint32_t user_agent_id = 0;
  LogText referrer;
  uint32_t referrer_id = 0;
  CalendarTime calendar_time = kZeroCalendarTime;
  Ticks time = 0;  // 100-ns ticks since 1601; 0 while the record carries no valid time
  uint32_t request_class = 0;
  LogText referrer_domain;
  uint32_t referrer_domain_id = 0;
  uint32_t referrer_kind = 1;
  LogText operating_system;
  uint32_t operating_system_id = 0;
  LogText browser;
  uint32_t browser_id = 0;
  uint32_t visit_id = 0;

  void Reset();

  // Every text field, in one fixed order, for code that treats them alike.
  template <class Self>
  static auto TextsOf(Self& r) {
    return std::array{&r.date_time,   &r.client_host,      &r.user_name,        &r.site_name,
                      &r.server_name, &r.server_address,   &r.method,           &r.uri_stem,
                      &r.query,       &r.protocol_version, &r.host_header,      &r.user_agent,
                      &r.referrer,    &r.referrer_domain,  &r.operating_system, &r.browser};
  }
  auto Texts() { return TextsOf(*this); }
  auto Texts() const { return TextsOf(*this); }
};

}  // namespace velmora
