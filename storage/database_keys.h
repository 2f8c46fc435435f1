// The sort keys of the database's sorted indexes, as key accessors over record numbers for
// SettleIndexEntry / AddIndexEntry (index_order.h) and comparisons for SearchIndex and
// InsertSorted (sorted_index.h). A record number outside its table reads as a default record,
// so a damaged index can be searched without leaving the files.
#pragma once

#include <cstdint>
#include <tuple>
#include <utility>

#include "storage/indexed_table.h"
#include "storage/records.h"
#include "storage/sorted_index.h"

namespace velmora {

// Sessions index 1: first request time.
inline auto SessionFirstRequestKey(const RecordTable<SessionRecord>& sessions) {
  return [&sessions](uint32_t n) {
    return sessions.Get(static_cast<int32_t>(n)).first_request_time.value();
  };
}
// Sessions index 2: last request time.
inline auto SessionLastRequestKey(const RecordTable<SessionRecord>& sessions) {
  return [&sessions](uint32_t n) {
    return sessions.Get(static_cast<int32_t>(n)).last_request_time.value();
  };
}
// Hourly index 1: hour.
inline auto HourlyHourKey(const RecordTable<HourlyRecord>& hourly) {
  return [&hourly](uint32_t n) { return hourly.Get(static_cast<int32_t>(n)).hour.value(); };
}
// FileTraffic index 1: day (unsigned), then resource (signed).
inline auto FileTrafficDayResourceKey(const RecordTable<FileTrafficRecord>& traffic) {
  return [&traffic](uint32_t n) {
    const FileTrafficRecord r = traffic.Get(static_cast<int32_t>(n));
    return std::pair<uint64_t, int32_t>(r.day.value(), r.resource);
  };
}
// FileTraffic index 2: day.
inline auto FileTrafficDayKey(const RecordTable<FileTrafficRecord>& traffic) {
  return [&traffic](uint32_t n) { return traffic.Get(static_cast<int32_t>(n)).day.value(); };
}
// Spiders index 1: request time.
inline auto SpiderTimeKey(const RecordTable<SpiderHitRecord>& spiders) {
  return [&spiders](uint32_t n) { return spiders.Get(static_cast<int32_t>(n)).time.value(); };
}
// Resources error index 1: status, resource, referrer, each signed.
inline std::tuple<int32_t, int32_t, int32_t> ErrorKey(const ErrorRecord& r) {
  return {r.status, r.resource, r.referrer};
}
inline auto ErrorRecordKey(const RecordTable<ErrorRecord>& errors) {
  return [&errors](uint32_t n) { return ErrorKey(errors.Get(static_cast<int32_t>(n))); };
}

// A SearchIndex comparison of a fixed `key` against the key of each entry's record.
template <class Key, class KeyOf>
auto CompareKeyWith(Key key, KeyOf key_of) {
  return [key = std::move(key), key_of = std::move(key_of)](uint32_t entry) {
    return ThreeWay(key, key_of(entry));
  };
}

}  // namespace velmora
