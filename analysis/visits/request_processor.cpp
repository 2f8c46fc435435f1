#include "analysis/visits/request_processor.h"

#include <algorithm>
#include <string>
#include <utility>

#include "analysis/caches/time_index_append.h"
#include "analysis/referrers/referrer_domain.h"
#include "analysis/visits/hourly_counts.h"
#include "analysis/visits/visit_detection.h"
#include "storage/database_keys.h"
#include "storage/index_order.h"

namespace velmora {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;  // -1 in an id field of the record

// Stores `record` as record `id` of `table`, the companion of string `id` of its string table.
// Tables that fell out of step (only a damaged database does) are padded with default records.
template <StoredRecord R>
bool StoreCompanion(RecordTable<R>& table, int32_t id, const R& record) {
  while (table.Count() < id) {
    if (table.Append(R{}) < 0) return false;
  }
  if (table.Count() == id) return table.Append(record) == id;
  return table.Set(id, record);
}

// The day key; the record's calendar time keeps its cleared time of day from here on.
Ticks DayKeyOf(LogRecord& record) {
  CalendarTime& day = record.calendar_time;
  day.hour = 0;
  day.minute = 0;
  day.second = 0;
  day.milliseconds = 0;
  if (const std::optional<Ticks> ticks = CalendarToTicks(day)) return *ticks;
  return StartOfDay(record.time);
}

}  // namespace

RequestProcessor::RequestProcessor(WorkspaceDatabase& db, RequestProcessorSettings settings,
                                   RequestClassifiers& classifiers)
    : db_(db), settings_(std::move(settings)), classifiers_(classifiers) {}

RequestProcessor::~RequestProcessor() { ClearCaches(); }

void RequestProcessor::BeginRun() {
  ClearCaches();
  FlushVisitLists(lists_);
  lists_ = BeginVisitLists(db_, settings_.accelerated);
  // Within the run nothing but this processor looks up or adds these strings, so their sorted
  // indexes may take the new ones in batches; EndRun indexes the rest.
  for (StringIdCache* cache : {&resource_ids_, &referrer_ids_, &user_agent_ids_}) {
    cache->set_deferring(true);
  }
}

void RequestProcessor::EndRun() {
  FlushVisitLists(lists_);
  ClearCaches();
}

void RequestProcessor::ClearCaches() {
  new_traffic_.Flush(db_.file_traffic().index(1), FileTrafficDayResourceKey(db_.file_traffic()));
  new_errors_.Flush(db_.error_records().index(1), ErrorRecordKey(db_.error_records()));
  resource_ids_.Flush(db_.resources());
  referrer_ids_.Flush(db_.referer_strings());
  user_agent_ids_.Flush(db_.user_agent_strings());
  for (StringIdCache* cache : {&resource_ids_, &referrer_ids_, &user_agent_ids_}) {
    cache->set_deferring(false);
    cache->Clear();
  }
  last_user_agent_.Forget();
  last_referrer_.Forget();
  hour_ = HourCursor{};
  traffic_day_ = 0;
  traffic_of_resource_ = {};
  traffic_generation_ = 0;
  visit_finder_.reset();
  visit_finder_built_ = false;
}

VisitFinder* RequestProcessor::Finder(Ticks first) {
  if (!settings_.accelerated) return nullptr;
  if (!visit_finder_built_) {
    visit_finder_built_ = true;
    auto finder = std::make_unique<VisitFinder>(settings_.advanced_visit_detection,
                                                SessionTimeout(settings_));
    if (finder->Build(db_.sessions(), db_.sessions().index(kVisitIndexByLast), first)) {
      visit_finder_ = std::move(finder);
    }
  }
  return visit_finder_.get();
}

int32_t RequestProcessor::FindString(StringTable& table, StringIdCache& cache,
                                     std::string_view text) {
  return settings_.accelerated ? cache.Find(table, text) : table.Find(text);
}

int32_t RequestProcessor::AddString(StringTable& table, StringIdCache& cache,
                                    std::string_view text) {
  return settings_.accelerated ? cache.Add(table, text) : table.Add(text);
}

int32_t RequestProcessor::FindOrAddString(StringTable& table, StringIdCache& cache,
                                          std::string_view text) {
  return settings_.accelerated ? cache.FindOrAdd(table, text) : table.FindOrAdd(text);
}

void RequestProcessor::CountHourly(const LogRecord& record) {
  velmora::CountHourly(db_, record, settings_.accelerated ? &hour_ : nullptr);
}

void RequestProcessor::ProcessRequest(LogRecord& record) {
  if (record.uri_stem.empty() || record.request_class < 256) return;
  FileReferrer(record);
  FileResource(record);
  FileError(record);
  FileTraffic(record);
  const int32_t spider = FileUserAgent(record);
  if (!lists_) lists_ = BeginVisitLists(db_, settings_.accelerated);
  VisitDetectionContext context{db_, settings_, classifiers_, *lists_, Finder(record.time)};
  const int32_t visit = DetectVisit(context, record, spider);
  record.visit_id = static_cast<uint32_t>(visit);
  if (spider >= 0 && visit < 0) FileSpiderHit(record);
}

void RequestProcessor::FileReferrer(LogRecord& record) {
  if (record.referrer.empty()) {
    record.referrer_id = kNone;
    record.referrer_domain_id = kNone;
    return;  // kind stays "no referrer"
  }
  const std::string_view text = record.referrer.view();
  if (last_referrer_.Holds(text)) {
    const RefererRecord& stored = last_referrer_.companion;
    record.referrer_id = static_cast<uint32_t>(last_referrer_.id);
    record.referrer_domain_id = static_cast<uint32_t>(stored.domain);
    record.referrer_kind = stored.kind;
    return;
  }
  StringTable& strings = db_.referer_strings();
  RecordTable<RefererRecord>& referers = db_.referers();
  int32_t id = FindString(strings, referrer_ids_, text);
  if (id < 0) {
    const std::string domain = ExtractReferrerDomain(text);
    record.referrer_domain.assign(domain);
    const int32_t domain_id = domain.empty() ? -1 : db_.ref_domains().FindOrAdd(domain);
    record.referrer_domain_id = static_cast<uint32_t>(domain_id);
    // The record file first, so that a string is never stored without its record.
    id = referers.records().Reserve(1) ? AddString(strings, referrer_ids_, text) : -1;
    RefererRecord fresh;
    fresh.domain = domain_id;
    if (id < 0 || !StoreCompanion(referers, id, fresh)) {
      record.referrer_id = kNone;
      return;
    }
  }
  // A record left unanalysed (a run that ended half-way) is analysed when next seen.
  if (referers.Get(id).kind == static_cast<uint32_t>(0)) {
    classifiers_.AnalyseReferrer(db_, id, settings_.server_names);
  }
  const RefererRecord stored = referers.Get(id);
  // One left unanalysed is tried again when next seen, so it is not remembered.
  if (settings_.accelerated && stored.kind != 0) last_referrer_.Remember(text, id, stored);
  record.referrer_id = static_cast<uint32_t>(id);
  record.referrer_domain_id = static_cast<uint32_t>(stored.domain);
  record.referrer_kind = stored.kind;
}

void RequestProcessor::FileResource(LogRecord& record) {
  // Server errors are filed per query; a joined text longer than a record's field is cut there.
  if (record.status >= 500 && !record.query.empty() && record.query.view() != "-") {
    record.uri_stem.append("?");
    record.uri_stem.append(record.query.view());
  }
  record.resource_id = static_cast<uint32_t>(
      FindOrAddString(db_.resources(), resource_ids_, record.uri_stem.view()));
}

void RequestProcessor::FileError(LogRecord& record) {
  record.error_id = -1;
  if (record.status < 400) return;
  ErrorRecord error;
  error.status = record.status;
  error.resource = static_cast<int32_t>(record.resource_id);
  error.referrer = record.status == 404 ? static_cast<int32_t>(record.referrer_id) : -1;
  error.request_class = record.request_class;
  RecordTable<ErrorRecord>& errors = db_.error_records();
  TableFile& index = errors.index(1);
  const auto compare = CompareKeyWith(ErrorKey(error), ErrorRecordKey(errors));
  const SearchResult found = SearchIndex(index, compare, SearchMode::kExact);
  if (found.found) {
    record.error_id = static_cast<int32_t>(index.Entry(found.position));
    return;
  }
  if (settings_.accelerated) {
    if (const int32_t held = new_errors_.Find(ErrorKey(error)); held >= 0) {
      record.error_id = held;
      return;
    }
    if (!errors.records().Reserve(1) || !new_errors_.Reserve(index)) return;
    const int32_t n = errors.Append(error);
    if (n < 0) return;
    if (new_errors_.Add(ErrorKey(error), n)) new_errors_.Flush(index, ErrorRecordKey(errors));
    record.error_id = n;
    return;
  }
  if (!errors.records().Reserve(1) || !index.Reserve(1)) return;
  const int32_t n = errors.Append(error);
  if (n < 0) return;
  InsertSorted(index, compare, static_cast<uint32_t>(n));
  record.error_id = n;
}

int32_t RequestProcessor::TrafficOfResource(int32_t resource) const {
  if (static_cast<size_t>(resource) >= traffic_of_resource_.size()) return -1;
  const TrafficSlot slot = traffic_of_resource_[static_cast<size_t>(resource)];
  return slot.generation == traffic_generation_ ? slot.record : -1;
}

void RequestProcessor::RememberTraffic(int32_t resource, int32_t n) {
  // Beyond this many resources (32 MiB of slots) the search serves instead.
  constexpr size_t kMostRemembered = size_t{1} << 22;
  const auto at = static_cast<size_t>(resource);
  if (at >= kMostRemembered) return;
  if (at >= traffic_of_resource_.size()) {
    traffic_of_resource_.resize(std::max(at + 1, traffic_of_resource_.size() * 2));
  }
  traffic_of_resource_[at] = TrafficSlot{traffic_generation_, n};
}

void RequestProcessor::FileTraffic(LogRecord& record) {
  const Ticks day = DayKeyOf(record);
  const auto resource = static_cast<int32_t>(record.resource_id);
  if (resource < 0) return;  // the resource could not be stored
  RecordTable<FileTrafficRecord>& traffic = db_.file_traffic();
  TableFile& by_day_resource = traffic.index(1);
  const auto key = std::pair<uint64_t, int32_t>(day, resource);
  int32_t n = -1;
  if (settings_.accelerated) {
    // A (day, resource) pair has one record, found by a search once and the same ever after.
    if (day != traffic_day_ || traffic_generation_ == 0) {
      traffic_day_ = day;
      // Forgets the other day's records at once; after 2^32 day changes, by clearing.
      if (++traffic_generation_ == 0) {
        traffic_of_resource_.assign(traffic_of_resource_.size(), TrafficSlot{});
        traffic_generation_ = 1;
      }
    }
    n = TrafficOfResource(resource);
  }
  if (n < 0) {
    const SearchResult found =
        SearchIndex(by_day_resource, CompareKeyWith(key, FileTrafficDayResourceKey(traffic)),
                    SearchMode::kExact);
    if (found.found) n = static_cast<int32_t>(by_day_resource.Entry(found.position));
    if (!found.found && settings_.accelerated) n = new_traffic_.Find(key);
    if (n >= 0 && settings_.accelerated) RememberTraffic(resource, n);
  }
  if (n >= 0) {
    FileTrafficRecord sum = traffic.Get(n);
    sum.bytes_sent.set(sum.bytes_sent.value() + static_cast<uint64_t>(record.bytes_sent));
    traffic.Set(n, sum);
    return;
  }
  const bool room_in_index =
      settings_.accelerated ? new_traffic_.Reserve(by_day_resource) : by_day_resource.Reserve(1);
  if (!traffic.records().Reserve(1) || !room_in_index || !traffic.index(2).Reserve(1)) return;
  FileTrafficRecord fresh;
  fresh.day.set(day);
  fresh.resource = resource;
  fresh.resource_type = record.request_class & kRequestClassTypeMask;
  fresh.bytes_sent.set(static_cast<uint64_t>(int64_t{record.bytes_sent}));
  n = traffic.Append(fresh);
  if (n < 0) return;
  if (settings_.accelerated) {
    if (new_traffic_.Add(key, n)) {
      new_traffic_.Flush(by_day_resource, FileTrafficDayResourceKey(traffic));
    }
    RememberTraffic(resource, n);
    AppendTimeIndexEntry(traffic.index(2), static_cast<uint32_t>(n), FileTrafficDayKey(traffic));
    return;
  }
  const int32_t indexed = by_day_resource.Count();
  AppendTimeIndexEntry(by_day_resource, static_cast<uint32_t>(n),
                       FileTrafficDayResourceKey(traffic));
  // Only a record the search can find may be remembered.
  if (settings_.accelerated && by_day_resource.Count() > indexed) {
    RememberTraffic(resource, n);
  }
  AppendTimeIndexEntry(traffic.index(2), static_cast<uint32_t>(n), FileTrafficDayKey(traffic));
}

int32_t RequestProcessor::FileUserAgent(LogRecord& record) {
  if (record.user_agent.empty()) {
    record.user_agent_id = kNone;
    record.browser_id = kNone;
    record.operating_system_id = kNone;
    return -1;  // a request without user agent is no spider
  }
  StringTable& strings = db_.user_agent_strings();
  RecordTable<UserAgentRecord>& agents = db_.user_agents();
  const std::string_view text = record.user_agent.view();
  int32_t id = -1;
  UserAgentRecord agent;
  if (last_user_agent_.Holds(text)) {
    id = last_user_agent_.id;
    agent = last_user_agent_.companion;
  } else if (id = FindString(strings, user_agent_ids_, text); id >= 0) {
    agent = agents.Get(id);
    if (settings_.accelerated) last_user_agent_.Remember(text, id, agent);
  } else {
    UserAgentVerdict verdict = classifiers_.ClassifyUserAgent(text);
    record.browser.assign(verdict.browser);
    record.operating_system.assign(verdict.os);
    agent.browser = verdict.browser.empty() ? -1 : db_.browsers().FindOrAdd(verdict.browser);
    agent.operating_system = verdict.os.empty() ? -1 : db_.oses().FindOrAdd(verdict.os);
    agent.spider = verdict.spider;
    id = agents.records().Reserve(1) ? AddString(strings, user_agent_ids_, text) : -1;
    if (id >= 0 && !StoreCompanion(agents, id, agent)) id = -1;
    if (settings_.accelerated && id >= 0) last_user_agent_.Remember(text, id, agent);
  }
  record.user_agent_id = static_cast<uint32_t>(id);
  record.browser_id = static_cast<uint32_t>(agent.browser);
  record.operating_system_id = static_cast<uint32_t>(agent.operating_system);
  return agent.spider;
}

void RequestProcessor::FileSpiderHit(const LogRecord& record) {
  RecordTable<SpiderHitRecord>& spiders = db_.spiders();
  if (!spiders.records().Reserve(1) || !spiders.index(1).Reserve(1)) return;
  SpiderHitRecord hit;
  hit.time.set(record.time);
  hit.user_agent = static_cast<int32_t>(record.user_agent_id);
  hit.resource = static_cast<int32_t>(record.resource_id);
  hit.status = static_cast<uint32_t>(record.status);
  hit.bytes_received = static_cast<uint32_t>(record.bytes_received);
  hit.bytes_sent = static_cast<uint32_t>(record.bytes_sent);
  const int32_t n = spiders.Append(hit);
  if (n >= 0)
    AppendTimeIndexEntry(spiders.index(1), static_cast<uint32_t>(n), SpiderTimeKey(spiders));
}

}  // namespace velmora
