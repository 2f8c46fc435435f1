#include "app/readable_records.h"

#include <cstdio>

#include "analysis/agents/spider_table.h"
#include "analysis/countries/country_list.h"
#include "analysis/referrers/referrer_kind.h"
#include "analysis/referrers/search_engine_table.h"
#include "analysis/rules/resource_rules.h"
#include "core/percent_decoding.h"
#include "parsing/records/time_zones.h"

namespace velmora {
namespace {

using json = nlohmann::ordered_json;

// The detail record's flag in words.
constexpr const char* kVisitFlags[] = {"non-visit", "visit"};

// An id with its text; null for "none" or an id the table does not hold.
json IdWithText(int32_t id, const StringTable& table, bool decode = false) {
  if (id < 0 || id >= table.Count()) return nullptr;
  const std::string_view text = table.Get(id);
  return json{{"id", id}, {"text", decode ? DecodePercentForDisplay(text) : std::string(text)}};
}

json IdWithName(int32_t id, std::string_view name) {
  if (name.empty()) return nullptr;
  return json{{"id", id}, {"text", std::string(name)}};
}

// A visit's stored list without its leading count word.
std::vector<int32_t> ListEntries(const SequenceTable& table, int32_t id) {
  std::vector<int32_t> values = table.Get(id).ToVector();
  if (!values.empty()) values.erase(values.begin());
  return values;
}

}  // namespace

std::string ReadableRecords::Time(Ticks ticks) const {
  const CalendarTime t = TicksToCalendar(ticks);
  const int32_t offset = offset_minutes_ < 0 ? -offset_minutes_ : offset_minutes_;
  char text[64];
  if (t.milliseconds != 0) {
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03u%c%02d:%02d", t.year,
                  t.month, t.day, t.hour, t.minute, t.second, t.milliseconds,
                  offset_minutes_ < 0 ? '-' : '+', offset / 60, offset % 60);
  } else {
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, offset_minutes_ < 0 ? '-' : '+', offset / 60,
                  offset % 60);
  }
  return text;
}

std::string ReadableRecords::ClientKey(uint32_t key) {
  char text[40];
  if (key < 0x1000000) {
    // Keys below 1.0.0.0 stand for host names; only their hash is stored.
    std::snprintf(text, sizeof text, "host name (key 0x%08x)", key);
  } else {
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", key >> 24, (key >> 16) & 0xFF,
                  (key >> 8) & 0xFF, key & 0xFF);
  }
  return text;
}

json ReadableRecords::Resource(int32_t id) const { return IdWithText(id, db_.resources(), true); }

json ReadableRecords::Referrer(int32_t id) const {
  return IdWithText(id, db_.referer_strings(), true);
}

json ReadableRecords::UserAgent(int32_t id) const {
  return IdWithText(id, db_.user_agent_strings());
}

json ReadableRecords::ResourceList(const SequenceTable& table, int32_t id) const {
  if (id < 0) return nullptr;
  json texts = json::array();
  for (const int32_t resource : ListEntries(table, id)) {
    texts.push_back(DecodePercentForDisplay(db_.resources().Get(resource)));
  }
  return json{{"id", id}, {"texts", std::move(texts)}};
}

json ReadableRecords::Error(int32_t id) const {
  if (id < 0) return nullptr;
  json texts = json::array();
  for (const int32_t number : ListEntries(db_.errors(), id)) {
    const ErrorRecord e = db_.error_records().Get(number);
    texts.push_back(std::to_string(e.status) + " " +
                    DecodePercentForDisplay(db_.resources().Get(e.resource)));
  }
  return json{{"id", id}, {"texts", std::move(texts)}};
}

void ReadableRecords::AddFields(json& out, const SessionRecord& r) const {
  out["first_request_time"] = Time(r.first_request_time.value());
  out["last_request_time"] = Time(r.last_request_time.value());
  out["visitor_address"] = ClientKey(r.visitor_address);
  out["referrer"] = Referrer(r.referrer);
  out["page_user_agent"] = UserAgent(r.page_user_agent);
  out["download_user_agent"] = UserAgent(r.download_user_agent);
}

void ReadableRecords::AddFields(json& out, const SessionDetailRecord& r) const {
  out["country"] =
      IdWithName(static_cast<int32_t>(r.country & 0xFFFF), CountryName(r.country & 0xFFFF));
  out["flag"] = kVisitFlags[r.flag != 0 ? 1 : 0];
  out["page_path"] = ResourceList(db_.pages(), r.page_path);
  out["downloads"] = ResourceList(db_.downloads(), r.downloads);
  out["images"] = ResourceList(db_.images(), r.images);
  out["errors"] = Error(r.errors);
  out["download_bytes"] = r.download_bytes;
  out["bytes_received"] = r.bytes_received;
  out["bytes_sent"] = r.bytes_sent;
}

void ReadableRecords::AddFields(json& out, const HourlyRecord& r) const {
  out["hour"] = Time(r.hour.value());
  out["hits"] = r.hits;
  out["server_errors"] = r.server_errors;
  out["client_errors"] = r.client_errors;
  out["bytes_received"] = r.bytes_received.value();
  out["bytes_sent"] = r.bytes_sent.value();
}

void ReadableRecords::AddFields(json& out, const FileTrafficRecord& r) const {
  out["day"] = Time(r.day.value()).substr(0, 10);
  out["resource"] = Resource(r.resource);
  out["resource_type"] = std::string(ResourceTypeName(static_cast<int32_t>(r.resource_type)));
  out["bytes_sent"] = r.bytes_sent.signed_value();
}

void ReadableRecords::AddFields(json& out, const ErrorRecord& r) const {
  out["status"] = r.status;
  out["resource"] = Resource(r.resource);
  out["referrer"] = Referrer(r.referrer);
  out["request_class"] =
      std::string(ResourceTypeName(static_cast<int32_t>(r.request_class & 0xFF))) + ", " +
      std::string(LoggingName(LoggingOfClass(r.request_class)));
}

void ReadableRecords::AddFields(json& out, const SpiderHitRecord& r) const {
  out["time"] = Time(r.time.value());
  out["user_agent"] = UserAgent(r.user_agent);
  out["resource"] = Resource(r.resource);
  out["status"] = r.status;
  out["bytes_received"] = r.bytes_received;
  out["bytes_sent"] = r.bytes_sent;
}

void ReadableRecords::AddFields(json& out, const UserAgentRecord& r) const {
  out["browser"] = IdWithText(r.browser, db_.browsers());
  out["operating_system"] = IdWithText(r.operating_system, db_.oses());
  out["spider"] = r.spider < 0 ? json(nullptr) : IdWithName(r.spider, SpiderName(r.spider));
}

void ReadableRecords::AddFields(json& out, const RefererRecord& r) const {
  out["domain"] = IdWithText(r.domain, db_.ref_domains());
  out["kind"] = std::string(ReferrerKindName(static_cast<ReferrerKind>(r.kind)));
  out["search_engine"] = IdWithName(static_cast<int32_t>(r.search_engine),
                                    EngineName(static_cast<int>(r.search_engine)));
  if (r.search_phrase < 0) {
    out["search_phrase"] = nullptr;
  } else {
    std::string words;
    for (const int32_t word : db_.search_phrases().Get(r.search_phrase).ToVector()) {
      if (!words.empty()) words += ' ';
      words += db_.search_words().Get(word);
    }
    out["search_phrase"] = json{{"id", r.search_phrase}, {"text", words}};
  }
  out["exact_phrase"] = IdWithText(r.exact_phrase, db_.search_phrases_exact());
}

}  // namespace velmora
