// The record layouts of the workspace database. Each struct is the exact image of one unit of
// its table file: every field is a little-endian 32-bit word, and 64-bit values (times, byte
// sums) are stored as two 32-bit halves, low half first, which keeps every record 4-byte
// aligned and the 28- and 36-byte layouts exact. Sizes and offsets are checked below.
//
// Records are copied between a unit and a struct as bytes (LoadRecord/StoreRecord), which is
// the only place the layout meets byte order: the engine is built for little-endian hosts only.
//
// Ids are plain 32-bit unit indexes; -1 means "none" everywhere. Times are ticks (100 ns since
// 1601) on the user's clock, compared as unsigned 64-bit numbers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <type_traits>

#include "core/tick_time.h"
#include "storage/table_format.h"

namespace velmora {

static_assert(std::endian::native == std::endian::little,
              "records are stored as their in-memory image, which is little-endian");

// A 64-bit value stored as two 32-bit halves, low half first.
struct U64Halves {
  uint32_t low = 0;
  uint32_t high = 0;

  constexpr uint64_t value() const { return (uint64_t{high} << 32) | low; }
  constexpr int64_t signed_value() const { return static_cast<int64_t>(value()); }
  constexpr void set(uint64_t v) {
    low = static_cast<uint32_t>(v);
    high = static_cast<uint32_t>(v >> 32);
  }
  static constexpr U64Halves Of(uint64_t v) {
    U64Halves h;
    h.set(v);
    return h;
  }
};

// One visit (table Sessions, FileId 0). Index 1 orders by first request time, index 2 by last.
struct SessionRecord {
  U64Halves last_request_time;
  U64Halves first_request_time;
  uint32_t visitor_address = 0;  // AddressKey: IPv4 number, or < 0x1000000 for a host name
  int32_t referrer = -1;         // RefererRecord number
  int32_t download_user_agent = -1;
  int32_t page_user_agent = -1;
};

// The rest of visit k (table Sessions, table number 16); same record number as its visit.
// While a parse run is under way the list fields may hold -2 - s: slot s of a visit-list cache.
struct SessionDetailRecord {
  uint32_t country = 0;  // low 16 bits used
  uint32_t flag = 0;     // bit 8 of the RequestClass of the visit's requests, OR-ed
  int32_t page_path = -1;
  int32_t downloads = -1;
  int32_t images = -1;
  int32_t errors = -1;
  uint32_t download_bytes = 0;
  uint32_t bytes_received = 0;
  uint32_t bytes_sent = 0;
};

// `detail` as a reader outside a parse run sees it: a handle below -1 is a cache slot of a run
// that never finished (its process is gone) and names no stored list.
inline SessionDetailRecord WithoutCacheSlots(SessionDetailRecord detail) {
  for (int32_t* handle : {&detail.page_path, &detail.downloads, &detail.images, &detail.errors}) {
    if (*handle < -1) *handle = -1;
  }
  return detail;
}

// One hour that had requests (table Hourly). Index 1 orders by hour.
struct HourlyRecord {
  U64Halves hour;  // request time with minutes and seconds cleared
  uint32_t hits = 0;
  uint32_t server_errors = 0;  // status 500..599
  uint32_t client_errors = 0;  // status 400..499
  uint32_t reserved = 0;
  U64Halves bytes_received;
  U64Halves bytes_sent;
};

// Bytes sent per resource and day (table FileTraffic). Index 1 orders by (day, resource),
// index 2 by day.
struct FileTrafficRecord {
  U64Halves day;  // request time with the time of day cleared
  int32_t resource = -1;
  uint32_t resource_type = 0;  // ResourceType when the record was created
  U64Halves bytes_sent;        // signed
};

// One distinct error (the record file of table Resources). The index orders by (status,
// resource, referrer), each signed.
struct ErrorRecord {
  int32_t status = 0;
  int32_t resource = -1;
  int32_t referrer = -1;  // RefererRecord number for 404, -1 otherwise
  uint32_t request_class = 0;
};

// One request from a spider (table Spiders). Index 1 orders by time.
struct SpiderHitRecord {
  U64Halves time;
  int32_t user_agent = -1;
  int32_t resource = -1;
  uint32_t status = 0;
  uint32_t bytes_received = 0;
  uint32_t bytes_sent = 0;
};

// What user-agent string k is (table UserAgents, table number 16).
struct UserAgentRecord {
  int32_t browser = -1;           // Browsers string id
  int32_t operating_system = -1;  // Oses string id
  int32_t spider = -1;            // number in the spider list, -1 for a human visitor
};

// What referrer string k is (table Referers, table number 16).
struct RefererRecord {
  int32_t domain = -1;         // RefDomains string id
  uint32_t kind = 0;           // 0 until classified, then the ReferrerKind 1..4
  uint32_t search_engine = 0;  // 1-based number in the search-engine table, 0 none
  int32_t search_phrase = -1;  // SearchFrases sequence id
  int32_t exact_phrase = -1;   // SearchFrasesExact string id
};

// Layout checks: every offset as stored.
static_assert(sizeof(U64Halves) == 8 && alignof(U64Halves) == 4);
static_assert(sizeof(SessionRecord) == 32 && offsetof(SessionRecord, first_request_time) == 8 &&
              offsetof(SessionRecord, visitor_address) == 16 &&
              offsetof(SessionRecord, referrer) == 20 &&
              offsetof(SessionRecord, download_user_agent) == 24 &&
              offsetof(SessionRecord, page_user_agent) == 28);
static_assert(sizeof(SessionDetailRecord) == 36 && offsetof(SessionDetailRecord, flag) == 4 &&
              offsetof(SessionDetailRecord, page_path) == 8 &&
              offsetof(SessionDetailRecord, downloads) == 12 &&
              offsetof(SessionDetailRecord, images) == 16 &&
              offsetof(SessionDetailRecord, errors) == 20 &&
              offsetof(SessionDetailRecord, download_bytes) == 24 &&
              offsetof(SessionDetailRecord, bytes_received) == 28 &&
              offsetof(SessionDetailRecord, bytes_sent) == 32);
static_assert(sizeof(HourlyRecord) == 40 && offsetof(HourlyRecord, hits) == 8 &&
              offsetof(HourlyRecord, server_errors) == 12 &&
              offsetof(HourlyRecord, client_errors) == 16 &&
              offsetof(HourlyRecord, reserved) == 20 &&
              offsetof(HourlyRecord, bytes_received) == 24 &&
              offsetof(HourlyRecord, bytes_sent) == 32);
static_assert(sizeof(FileTrafficRecord) == 24 && offsetof(FileTrafficRecord, resource) == 8 &&
              offsetof(FileTrafficRecord, resource_type) == 12 &&
              offsetof(FileTrafficRecord, bytes_sent) == 16);
static_assert(sizeof(ErrorRecord) == 16 && offsetof(ErrorRecord, resource) == 4 &&
              offsetof(ErrorRecord, referrer) == 8 && offsetof(ErrorRecord, request_class) == 12);
static_assert(sizeof(SpiderHitRecord) == 28 && offsetof(SpiderHitRecord, user_agent) == 8 &&
              offsetof(SpiderHitRecord, resource) == 12 &&
              offsetof(SpiderHitRecord, status) == 16 &&
              offsetof(SpiderHitRecord, bytes_received) == 20 &&
              offsetof(SpiderHitRecord, bytes_sent) == 24);
static_assert(sizeof(UserAgentRecord) == 12 && offsetof(UserAgentRecord, operating_system) == 4 &&
              offsetof(UserAgentRecord, spider) == 8);
static_assert(sizeof(RefererRecord) == 20 && offsetof(RefererRecord, kind) == 4 &&
              offsetof(RefererRecord, search_engine) == 8 &&
              offsetof(RefererRecord, search_phrase) == 12 &&
              offsetof(RefererRecord, exact_phrase) == 16);

// A record struct that can live in a table file of its own size.
template <class R>
concept StoredRecord = std::is_trivially_copyable_v<R> && IsUnitSize(sizeof(R));

template <StoredRecord R>
constexpr UnitSize UnitSizeOf() {
  return static_cast<UnitSize>(sizeof(R));
}

template <StoredRecord R>
R LoadRecord(const unsigned char* unit) {
  R record;
  std::memcpy(&record, unit, sizeof(R));
  return record;
}

template <StoredRecord R>
void StoreRecord(unsigned char* unit, const R& record) {
  std::memcpy(unit, &record, sizeof(R));
}

}  // namespace velmora
