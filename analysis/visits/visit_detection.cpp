#include "analysis/visits/visit_detection.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "analysis/caches/time_index_append.h"
#include "analysis/referrers/referrer_kind.h"
#include "analysis/visits/address_key.h"
#include "storage/database_keys.h"
#include "storage/index_order.h"

namespace velmora {
namespace {

constexpr uint32_t kVisitIndexByFirst = 1;

bool IsVisitRequest(const LogRecord& record) {
  return (record.request_class & kRequestClassVisit) != 0;
}

bool IsSearchOrOtherSite(uint32_t kind) {
  return kind == static_cast<uint32_t>(ReferrerKind::kSearchEngine) ||
         kind == static_cast<uint32_t>(ReferrerKind::kOtherSite);
}

bool Matches(const RequestProcessorSettings& settings, const SessionRecord& visit,
             const LogRecord& record) {
  const uint32_t key = record.client_address;
  if (visit.visitor_address == key) return true;
  if (!settings.advanced_visit_detection) return false;
  const bool referrer_fits =
      record.referrer_kind == static_cast<uint32_t>(ReferrerKind::kNoReferrer) ||
      record.referrer_kind == static_cast<uint32_t>(ReferrerKind::kOwnSite) ||
      visit.referrer == static_cast<int32_t>(record.referrer_id);
  const auto agent = static_cast<int32_t>(record.user_agent_id);
  return referrer_fits && VisitNetwork(visit.visitor_address) == VisitNetwork(key) &&
         (visit.page_user_agent == agent || visit.download_user_agent == agent);
}

// The position of `record` among the entries of key `key` just before position `end`, or -1.
template <class KeyOf>
int32_t AmongEqualKeysBefore(const TableFile& index, int32_t end, uint32_t record, uint64_t key,
                             KeyOf& key_of) {
  for (int32_t p = end - 1; p >= 0; --p) {
    const uint32_t entry = index.Entry(p);
    if (entry == record) return p;
    if (key_of(entry) != key) break;
  }
  return -1;
}

// The position of `record` in `index`, whose entries are ordered by `key_of`, given the key the
// record had when it was placed; -1 when it is not among the entries of that key.
template <class KeyOf>
int32_t PositionInIndex(const TableFile& index, uint32_t record, uint64_t key, KeyOf key_of) {
  const SearchResult behind =
      SearchIndex(index, CompareKeyWith(key, key_of), SearchMode::kUpperBound);
  return behind.found ? AmongEqualKeysBefore(index, behind.position, record, key, key_of) : -1;
}

// The same position as PositionInIndex, searched for from the end of the index: the visit a
// request joins nearly always ended a moment ago, so its entry is among the last ones.
template <class KeyOf>
int32_t PositionNearEnd(const TableFile& index, uint32_t record, uint64_t key, KeyOf key_of) {
  int32_t hi = index.Count();  // the entries from hi on have a greater key
  int32_t lo = 0;
  for (int64_t step = 1; hi > 0; step *= 2) {
    const auto probe = static_cast<int32_t>(hi > step ? hi - step : 0);
    if (key_of(index.Entry(probe)) <= key) {
      lo = probe;
      break;
    }
    hi = probe;
  }
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (key_of(index.Entry(mid)) <= key) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return AmongEqualKeysBefore(index, hi, record, key, key_of);
}

bool IsSpiderAgent(WorkspaceDatabase& db, int32_t user_agent) {
  return db.user_agents().Get(user_agent).spider >= 0;
}

// Makes the main and detail tables count the same records again (only a damaged database
// differs), so that a new visit's two records share their number.
bool AlignVisitTables(WorkspaceDatabase& db) {
  RecordTable<SessionRecord>& sessions = db.sessions();
  RecordTable<SessionDetailRecord>& details = db.session_details();
  while (details.Count() < sessions.Count()) {
    if (details.Append(SessionDetailRecord{}) < 0) return false;
  }
  while (sessions.Count() < details.Count()) {
    if (sessions.Append(SessionRecord{}) < 0) return false;
  }
  return true;
}

int32_t OpenVisit(VisitDetectionContext& context, const LogRecord& record, bool named) {
  WorkspaceDatabase& db = context.db;
  RecordTable<SessionRecord>& sessions = db.sessions();
  RecordTable<SessionDetailRecord>& details = db.session_details();
  // Room in all four files first, so that a visit is either stored whole or not at all.
  if (!AlignVisitTables(db) || !sessions.records().Reserve(1) || !details.records().Reserve(1) ||
      !sessions.index(kVisitIndexByFirst).Reserve(1) ||
      !sessions.index(kVisitIndexByLast).Reserve(1)) {
    return -1;
  }
  SessionRecord visit;
  visit.last_request_time.set(record.time);
  visit.first_request_time.set(record.time);
  visit.visitor_address = record.client_address;
  visit.referrer = static_cast<int32_t>(record.referrer_id);
  visit.download_user_agent = static_cast<int32_t>(record.user_agent_id);
  visit.page_user_agent = static_cast<int32_t>(record.user_agent_id);
  SessionDetailRecord detail;
  detail.country =
      context.classifiers.CountryOfClient(named, record.client_address, record.client_host.view());
  detail.flag = IsVisitRequest(record) ? 1 : 0;
  const int32_t n = sessions.Append(visit);
  if (n < 0 || details.Append(detail) != n) return -1;
  AppendTimeIndexEntry(sessions.index(kVisitIndexByFirst), static_cast<uint32_t>(n),
                       SessionFirstRequestKey(sessions));
  AppendTimeIndexEntry(sessions.index(kVisitIndexByLast), static_cast<uint32_t>(n),
                       SessionLastRequestKey(sessions));
  if (context.finder != nullptr) {
    context.finder->Place(n, visit.visitor_address, std::nullopt, record.time);
  }
  return n;
}

// Extends visit `found` by the request's time, flag and referrer.
void JoinVisit(VisitDetectionContext& context, const FoundVisit& found, const LogRecord& record) {
  WorkspaceDatabase& db = context.db;
  RecordTable<SessionRecord>& sessions = db.sessions();
  const int32_t n = found.visit;
  SessionRecord visit = sessions.Get(n);
  const Ticks t = record.time;
  if (t > visit.last_request_time.value()) {
    TableFile& by_last = sessions.index(kVisitIndexByLast);
    const Ticks previous = visit.last_request_time.value();
    int32_t position = found.last_index_position;
    if (position < 0) {
      position = PositionNearEnd(by_last, static_cast<uint32_t>(n), previous,
                                 SessionLastRequestKey(sessions));
    }
    visit.last_request_time.set(t);
    sessions.Set(n, visit);
    SettleIndexEntry(by_last, position, SessionLastRequestKey(sessions));
    if (context.finder != nullptr) context.finder->Place(n, visit.visitor_address, previous, t);
  } else if (t < visit.first_request_time.value()) {
    TableFile& by_first = sessions.index(kVisitIndexByFirst);
    const int32_t position =
        PositionInIndex(by_first, static_cast<uint32_t>(n), visit.first_request_time.value(),
                        SessionFirstRequestKey(sessions));
    visit.first_request_time.set(t);
    sessions.Set(n, visit);
    SettleIndexEntry(by_first, position, SessionFirstRequestKey(sessions));
  }

  const uint32_t current = db.referers().Get(visit.referrer).kind;
  const uint32_t offered = record.referrer_kind;
  if (!IsSearchOrOtherSite(current) &&
      (IsSearchOrOtherSite(offered) ||
       (current == static_cast<uint32_t>(ReferrerKind::kOwnSite) &&
        offered == static_cast<uint32_t>(ReferrerKind::kNoReferrer)))) {
    visit.referrer = static_cast<int32_t>(record.referrer_id);
    sessions.Set(n, visit);
  }

  if (IsVisitRequest(record)) {
    SessionDetailRecord detail = db.session_details().Get(n);
    detail.flag = 1;
    db.session_details().Set(n, detail);
  }
}

// What every request adds to its visit: lists, user agents and byte sums.
void AddRequestToVisit(VisitDetectionContext& context, int32_t n, const LogRecord& record) {
  WorkspaceDatabase& db = context.db;
  SessionRecord visit = db.sessions().Get(n);
  SessionDetailRecord detail = db.session_details().Get(n);
  const auto resource = static_cast<int32_t>(record.resource_id);
  const auto agent = static_cast<int32_t>(record.user_agent_id);
  VisitListKind list = VisitListKind::kImages;
  bool listed = true;
  switch (record.request_class & kRequestClassTypeMask) {
    case 1:  // page
      list = context.settings.store_full_path ? VisitListKind::kFullPathPages
                                              : VisitListKind::kSummaryPages;
      if (!IsSpiderAgent(db, visit.page_user_agent)) visit.page_user_agent = agent;
      break;
    case 2:  // download
      list = VisitListKind::kDownloads;
      if (!IsSpiderAgent(db, visit.download_user_agent)) visit.download_user_agent = agent;
      detail.download_bytes = AddBytesSaturated(detail.download_bytes, record.bytes_sent);
      break;
    case 3:  // image
      list = VisitListKind::kImages;
      break;
    default:
      listed = false;
      break;
  }
  detail.bytes_received = AddBytesSaturated(detail.bytes_received, record.bytes_received);
  detail.bytes_sent = AddBytesSaturated(detail.bytes_sent, record.bytes_sent);
  db.sessions().Set(n, visit);
  db.session_details().Set(n, detail);
  // The lists write their handles into the detail record themselves, so they come after it.
  if (listed) AddToVisitList(context.lists, n, list, resource);
  if (record.error_id >= 0)
    AddToVisitList(context.lists, n, VisitListKind::kErrors, record.error_id);
}

// The last request times a visit may have to take a request at `t`: [lower, upper).
std::pair<Ticks, Ticks> SearchWindow(const RequestProcessorSettings& settings, Ticks t) {
  const uint64_t window = SessionTimeout(settings);
  const uint64_t upper = t > std::numeric_limits<uint64_t>::max() - window
                             ? std::numeric_limits<uint64_t>::max()
                             : t + window;
  const uint64_t lower = t < window ? 0 : t - window;
  return {lower, upper};
}

int32_t FindVisitInGroup(VisitDetectionContext& context, const LogRecord& record, Ticks lower,
                         Ticks upper) {
  const RecordTable<SessionRecord>& sessions = context.db.sessions();
  return context.finder->Find(record.client_address, lower, upper, [&](int32_t n) {
    return Matches(context.settings, sessions.Get(n), record);
  });
}

}  // namespace

Ticks SessionTimeout(const RequestProcessorSettings& settings) {
  return static_cast<uint64_t>(std::max(settings.session_timeout_minutes, 0)) * kTicksPerMinute;
}

uint32_t AddBytesSaturated(uint32_t sum, int32_t amount) {
  if (amount <= 0) return sum;
  const uint64_t total = uint64_t{sum} + static_cast<uint64_t>(amount);
  return total > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : static_cast<uint32_t>(total);
}

FoundVisit FindVisit(WorkspaceDatabase& db, const RequestProcessorSettings& settings,
                     const LogRecord& record) {
  const RecordTable<SessionRecord>& sessions = db.sessions();
  const auto [lower, upper] = SearchWindow(settings, record.time);

  const TableFile& by_last = sessions.index(kVisitIndexByLast);
  const auto last_key = SessionLastRequestKey(sessions);
  const SearchResult start =
      SearchIndex(by_last, CompareKeyWith(upper, last_key), SearchMode::kStrictLower);
  for (int32_t p = start.position; p >= 0; --p) {
    const auto n = static_cast<int32_t>(by_last.Entry(p));
    if (!sessions.Has(n)) continue;  // a damaged entry names no visit
    const SessionRecord visit = sessions.Get(n);
    if (visit.last_request_time.value() < lower) break;
    if (Matches(settings, visit, record)) return {n, p};
  }
  return {};
}

int32_t DetectVisit(VisitDetectionContext& context, LogRecord& record, int32_t spider) {
  const bool named = record.client_address == kNamedClientAddress;
  record.client_address = AddressKey(record.client_address, record.client_host.view());

  const auto [lower, upper] = SearchWindow(context.settings, record.time);
  const bool in_finder = context.finder != nullptr && context.finder->Covers(lower);
  const FoundVisit found = in_finder
                               ? FoundVisit{FindVisitInGroup(context, record, lower, upper), -1}
                               : FindVisit(context.db, context.settings, record);
  int32_t n = found.visit;
  if (n < 0) {
    if (spider >= 0) return -1;  // spiders never open visits
    n = OpenVisit(context, record, named);
    if (n < 0) return -1;
  } else {
    JoinVisit(context, found, record);
  }
  AddRequestToVisit(context, n, record);
  return n;
}

}  // namespace velmora
