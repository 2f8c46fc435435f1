// Database records as a person reads them (`dump --readable`): times in ISO 8601 on the
// workspace's clock with its offset, client keys as dotted addresses, and every id with the text
// it stands for ({"id": 3, "text": "..."}; null for -1), paths and referrers percent-decoded for
// reading; fields in the order a person reads a visit (times, client, where from). What `dump`
// prints without --readable stays the stored values.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "core/tick_time.h"
#include "storage/records.h"
#include "storage/workspace_database.h"

namespace velmora {

class ReadableRecords {
 public:
  // `zone_offset_minutes`: the offset of the workspace's own time zone ("your time zone"), the
  // clock the stored times are on. The database must be open while this is used.
  ReadableRecords(WorkspaceDatabase& db, int32_t zone_offset_minutes)
      : db_(db), offset_minutes_(zone_offset_minutes) {}

  void AddFields(nlohmann::ordered_json& out, const SessionRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const SessionDetailRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const HourlyRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const FileTrafficRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const ErrorRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const SpiderHitRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const UserAgentRecord& r) const;
  void AddFields(nlohmann::ordered_json& out, const RefererRecord& r) const;

  // "2026-10-10T13:55:36+01:00" (with ".250" when there are milliseconds).
  std::string Time(Ticks ticks) const;
  // A dotted IPv4 address, or for a client logged by name "host name (key 0x00ab12cd)".
  static std::string ClientKey(uint32_t key);

 private:
  nlohmann::ordered_json Resource(int32_t id) const;
  nlohmann::ordered_json Referrer(int32_t id) const;
  nlohmann::ordered_json UserAgent(int32_t id) const;
  nlohmann::ordered_json ResourceList(const SequenceTable& table, int32_t id) const;
  nlohmann::ordered_json Error(int32_t id) const;

  WorkspaceDatabase& db_;
  int32_t offset_minutes_;
};

}  // namespace velmora
