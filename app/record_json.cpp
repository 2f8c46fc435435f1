#include "app/record_json.h"

namespace velmora {

void AddFields(nlohmann::json& out, const SessionRecord& r) {
  out["last_request_time"] = r.last_request_time.value();
  out["first_request_time"] = r.first_request_time.value();
  out["visitor_address"] = r.visitor_address;
  out["referrer"] = r.referrer;
  out["download_user_agent"] = r.download_user_agent;
  out["page_user_agent"] = r.page_user_agent;
}

void AddFields(nlohmann::json& out, const SessionDetailRecord& r) {
  out["country"] = r.country;
  out["flag"] = r.flag;
  out["page_path"] = r.page_path;
  out["downloads"] = r.downloads;
  out["images"] = r.images;
  out["errors"] = r.errors;
  out["download_bytes"] = r.download_bytes;
  out["bytes_received"] = r.bytes_received;
  out["bytes_sent"] = r.bytes_sent;
}

void AddFields(nlohmann::json& out, const HourlyRecord& r) {
  out["hour"] = r.hour.value();
  out["hits"] = r.hits;
  out["server_errors"] = r.server_errors;
  out["client_errors"] = r.client_errors;
  out["bytes_received"] = r.bytes_received.value();
  out["bytes_sent"] = r.bytes_sent.value();
}

void AddFields(nlohmann::json& out, const FileTrafficRecord& r) {
  out["day"] = r.day.value();
  out["resource"] = r.resource;
  out["resource_type"] = r.resource_type;
  out["bytes_sent"] = r.bytes_sent.signed_value();
}

void AddFields(nlohmann::json& out, const ErrorRecord& r) {
  out["status"] = r.status;
  out["resource"] = r.resource;
  out["referrer"] = r.referrer;
  out["request_class"] = r.request_class;
}

void AddFields(nlohmann::json& out, const SpiderHitRecord& r) {
  out["time"] = r.time.value();
  out["user_agent"] = r.user_agent;
  out["resource"] = r.resource;
  out["status"] = r.status;
  out["bytes_received"] = r.bytes_received;
  out["bytes_sent"] = r.bytes_sent;
}

void AddFields(nlohmann::json& out, const UserAgentRecord& r) {
  out["browser"] = r.browser;
  out["operating_system"] = r.operating_system;
  out["spider"] = r.spider;
}

void AddFields(nlohmann::json& out, const RefererRecord& r) {
  out["domain"] = r.domain;
  out["kind"] = r.kind;
  out["search_engine"] = r.search_engine;
  out["search_phrase"] = r.search_phrase;
  out["exact_phrase"] = r.exact_phrase;
}

std::string JsonLine(const nlohmann::json& value) {
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string JsonLine(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

nlohmann::json RecordJson(const LogRecord& r) {
  nlohmann::json out;
  out["client_host"] = std::string(r.client_host.view());
  out["client_address"] = r.client_address;
  out["user_name"] = std::string(r.user_name.view());
  out["method"] = std::string(r.method.view());
  out["status"] = r.status;
  out["uri_stem"] = std::string(r.uri_stem.view());
  out["query"] = std::string(r.query.view());
  out["bytes_sent"] = r.bytes_sent;
  out["bytes_received"] = r.bytes_received;
  out["time_taken"] = r.time_taken;
  out["user_agent"] = std::string(r.user_agent.view());
  out["referrer"] = std::string(r.referrer.view());
  const CalendarTime& t = r.calendar_time;
  out["calendar_time"] = {{"year", t.year},
                          {"month", t.month},
                          {"day_of_week", t.day_of_week},
                          {"day", t.day},
                          {"hour", t.hour},
                          {"minute", t.minute},
                          {"second", t.second},
                          {"milliseconds", t.milliseconds}};
  out["time"] = r.time;
  out["class"] = r.request_class;
  return out;
}

}  // namespace velmora
