// The records of the workspace database and a parsed log line as JSON objects, with the field
// names of the record layouts in snake_case, for every front end that shows them. Times are tick
// numbers.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "parsing/records/log_record.h"
#include "storage/records.h"

namespace velmora {

void AddFields(nlohmann::json& out, const SessionRecord& r);
void AddFields(nlohmann::json& out, const SessionDetailRecord& r);
void AddFields(nlohmann::json& out, const HourlyRecord& r);
void AddFields(nlohmann::json& out, const FileTrafficRecord& r);
void AddFields(nlohmann::json& out, const ErrorRecord& r);
void AddFields(nlohmann::json& out, const SpiderHitRecord& r);
void AddFields(nlohmann::json& out, const UserAgentRecord& r);
void AddFields(nlohmann::json& out, const RefererRecord& r);

// A parsed and completed log line.
nlohmann::json RecordJson(const LogRecord& r);

// One line of JSON; bytes that are not UTF-8 (log texts are raw bytes) become U+FFFD.
std::string JsonLine(const nlohmann::json& value);
std::string JsonLine(const nlohmann::ordered_json& value);

}  // namespace velmora
