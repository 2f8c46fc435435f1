// RequestSink: where a parse run hands its records - the hourly counters and the request
// processor of the traffic analysis. The run opens it once the database is open and closes it
// before the database is released; between the two every completed record is counted hourly and,
// when the completion says it is logged, processed.
//
// The default does nothing, so a run still reads, counts and records every file.
#pragma once

#include "parsing/records/log_record.h"

namespace velmora {

class RequestSink {
 public:
  virtual ~RequestSink() = default;

  // Before the first file: create the in-memory write-behind stores.
  virtual void BeginRun() {}
  // Every record of every file (the hourly counters take them all).
  virtual void CountHourly(const LogRecord& record) { (void)record; }
  // A record whose request class says it is logged. It is reused for the next line on return.
  virtual void ProcessRecord(LogRecord& record) { (void)record; }
  // After the last file (also after a cancel): flush and free the stores.
  virtual void EndRun() {}
};

}  // namespace velmora
