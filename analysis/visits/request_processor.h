// RequestProcessor: what happens to one parsed request between the line parser and the tables of
// the workspace database. It is the parse run's RequestSink: every completed record is counted
// in Hourly, and every record whose class says it is logged is filed - its referrer (analysed
// once per distinct text), resource, error, per-day traffic and user agent (classified once per
// distinct text) - and assigned to a visit, or, for a spider outside any visit, to the spider
// log. Per-visit lists live in the run's VisitListCaches from BeginRun to EndRun.
//
// Accelerated (the default), a run keeps string-id caches of resources, referrers and user
// agents whose new texts reach the sorted indexes in batches (all of them by EndRun), the hour
// counted last and the day's traffic records: the tables come out byte for byte as without them.
//
// The database must be open from BeginRun to EndRun; the processor is used by the parse worker
// alone and takes no locks. Tables that cannot grow have shown their own message; the request
// then goes on with what could be stored.
//
// A request without referrer text or without user-agent text carries -1 ("none", as everywhere
// in the database) as its referrer, referrer domain or user-agent number, and so do its visit,
// error and spider records; a user agent classified without a browser or system name stores -1
// there. No number ever names a record that was filed for another text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/caches/string_id_cache.h"
#include "analysis/visit_lists/visit_lists.h"
#include "analysis/visits/hourly_counts.h"
#include "analysis/visits/request_classifiers.h"
#include "analysis/visits/request_processor_settings.h"
#include "analysis/visits/visit_finder.h"
#include "parsing/records/log_record.h"
#include "parsing/run/request_sink.h"
#include "storage/deferred_index_entries.h"
#include "storage/workspace_database.h"

namespace velmora {

class RequestProcessor final : public RequestSink {
 public:
  // `db` and `classifiers` must outlive the processor.
  RequestProcessor(WorkspaceDatabase& db, RequestProcessorSettings settings,
                   RequestClassifiers& classifiers);
  ~RequestProcessor() override;

  // Creates the per-visit list caches (BeginVisitLists).
  void BeginRun() override;
  // Adds the request to the hourly counters, whatever its class.
  void CountHourly(const LogRecord& record) override;
  void ProcessRecord(LogRecord& record) override { ProcessRequest(record); }
  // Stores every cached list and frees the caches (FlushVisitLists).
  void EndRun() override;

  // Files a request whose class says it is logged and leaves its analysis fields filled; does
  // nothing for an empty URL or a class below 256. Outside BeginRun/EndRun the lists are
  // cached all the same and stored at the next EndRun.
  void ProcessRequest(LogRecord& record);

  const RequestProcessorSettings& settings() const { return settings_; }

 private:
  void FileReferrer(LogRecord& record);
  void FileResource(LogRecord& record);
  void FileError(LogRecord& record);
  void FileTraffic(LogRecord& record);
  // Returns the spider index of the request's user agent, -1 for a human or none.
  int32_t FileUserAgent(LogRecord& record);
  void FileSpiderHit(const LogRecord& record);
  // The string id of `text` in `table` through `cache` when accelerated; -1 when missing.
  int32_t FindString(StringTable& table, StringIdCache& cache, std::string_view text);
  int32_t FindOrAddString(StringTable& table, StringIdCache& cache, std::string_view text);
  int32_t AddString(StringTable& table, StringIdCache& cache, std::string_view text);
  // The FileTraffic record of `resource` on the current day that FileTraffic remembers, or -1.
  int32_t TrafficOfResource(int32_t resource) const;
  void RememberTraffic(int32_t resource, int32_t n);
  // Indexes what the string caches added and forgets them.
  void ClearCaches();
  // The run's visit finder when accelerated and the database allows one, else null; built at
  // the run's first request, at `first`.
  VisitFinder* Finder(Ticks first);

  WorkspaceDatabase& db_;
  RequestProcessorSettings settings_;
  RequestClassifiers& classifiers_;
  std::unique_ptr<VisitListCaches> lists_;
  // Within a run only: BeginRun and EndRun forget them.
  StringIdCache resource_ids_;
  StringIdCache referrer_ids_;
  StringIdCache user_agent_ids_;
  HourCursor hour_;
  // FileTraffic records of one day by resource id: the day's sums are what a run updates.
  // By resource id (ids are dense); a slot of an older generation belongs to another day.
  struct TrafficSlot {
    uint32_t generation = 0;
    int32_t record = -1;
  };
  Ticks traffic_day_ = 0;
  uint32_t traffic_generation_ = 0;
  std::vector<TrafficSlot> traffic_of_resource_;
  // New FileTraffic and Errors records whose entries in the key index wait for a batch.
  DeferredIndexEntries<std::pair<uint64_t, int32_t>> new_traffic_;
  DeferredIndexEntries<std::tuple<int32_t, int32_t, int32_t>> new_errors_;
  // The last user agent and referrer filed and what was found for them, when accelerated: one
  // client's requests come in runs (a page, then its pictures and scripts) that repeat both,
  // and looking them up again costs a hash, a probe and a comparison with the stored text.
  template <class Companion>
  struct LastFiled {
    bool Holds(std::string_view text) const { return id >= 0 && text == this->text; }
    void Remember(std::string_view filed, int32_t filed_id, const Companion& found) {
      text.assign(filed);
      id = filed_id;
      companion = found;
    }
    void Forget() { id = -1; }
    std::string text;
    int32_t id = -1;  // -1: nothing remembered
    Companion companion;
  };
  LastFiled<UserAgentRecord> last_user_agent_;
  LastFiled<RefererRecord> last_referrer_;
  // Built on the first request of a run; null when the index it reads is damaged.
  std::unique_ptr<VisitFinder> visit_finder_;
  bool visit_finder_built_ = false;
};

}  // namespace velmora
