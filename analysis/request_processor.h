// RequestProcessor: what happens to one parsed request between the line parser and the tables of
// the workspace database. It is the parse run's RequestSink: every completed record is counted
// in Hourly, and every record whose class says it is logged is filed - its referrer (analysed
// once per distinct text), resource, error, per-day traffic and user agent (classified once per
// distinct text) - and assigned to a visit, or, for a spider outside any visit, to the spider
// log. Per-visit lists live in the run's VisitListCaches from BeginRun to EndRun.
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

#include "analysis/request_classifiers.h"
#include "analysis/request_processor_settings.h"
#include "analysis/visit_lists.h"
#include "parsing/log_record.h"
#include "parsing/request_sink.h"
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
  // ProcessRequest.
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

  WorkspaceDatabase& db_;
  RequestProcessorSettings settings_;
  RequestClassifiers& classifiers_;
  std::unique_ptr<VisitListCaches> lists_;
};

}  // namespace velmora
