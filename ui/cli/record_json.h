// The records of the workspace database as JSON objects, with the field names of the record
// layouts in snake_case. Times are tick numbers.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "storage/records.h"

namespace velmora::cli {

void AddFields(nlohmann::json& out, const SessionRecord& r);
void AddFields(nlohmann::json& out, const SessionDetailRecord& r);
void AddFields(nlohmann::json& out, const HourlyRecord& r);
void AddFields(nlohmann::json& out, const FileTrafficRecord& r);
void AddFields(nlohmann::json& out, const ErrorRecord& r);
void AddFields(nlohmann::json& out, const SpiderHitRecord& r);
void AddFields(nlohmann::json& out, const UserAgentRecord& r);
void AddFields(nlohmann::json& out, const RefererRecord& r);

// One line of JSON; bytes that are not UTF-8 (log texts are raw bytes) become U+FFFD.
std::string JsonLine(const nlohmann::json& value);

}  // namespace velmora::cli
