// PipelinedSink: a ParseSink that hands each completed record to the analysis on a thread of its
// own, so that reading and matching the next lines (one core) overlaps the request processor
// (the other). The analysis itself stays on one thread and sees the records in file order, each
// exactly once, so every table is what the plain sink would have written.
//
// Records are packed into a ring of bytes (the scalars, then each text by its length), so a record
// crosses from one core to the other as a few consecutive cache lines, not as the scattered lines
// of its 16 text fields; the parser may reuse its record at once. Everything but ProcessRecord goes
// straight to the wrapped sink on the calling thread: those calls touch the parse log, progress and
// totals, never the analysis.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "parsing/lines/parse_sink.h"

namespace velmora {

class PipelinedSink final : public ParseSink {
 public:
  explicit PipelinedSink(ParseSink& inner);
  ~PipelinedSink() override { Finish(); }
  PipelinedSink(const PipelinedSink&) = delete;
  PipelinedSink& operator=(const PipelinedSink&) = delete;

  void WriteLog(std::string_view text) override { inner_.WriteLog(text); }
  void StartFileProgress() override { inner_.StartFileProgress(); }
  void SetFileProgress(int64_t position) override { inner_.SetFileProgress(position); }
  void AddRunTotals(int64_t lines, int64_t errors) override { inner_.AddRunTotals(lines, errors); }
  bool KeepGoing() override { return inner_.KeepGoing(); }
  void ProcessRecord(LogRecord& record, bool analysed) override;

  // Hands over the records still queued and waits until the wrapped sink has processed every
  // record given so far. Harmless when called again; nothing may be given after it.
  void Finish();

 private:
  void Publish();  // makes the records written so far visible to the analysis thread
  void Consume();  // the analysis thread

  ParseSink& inner_;
  std::unique_ptr<unsigned char[]> ring_;

  // The lines both threads write (the lock and what it guards) apart from the parser's own
  // counters, which it updates for every record: sharing a cache line made the parser wait for
  // that line to come back from the other core after each hand-over.
  alignas(64) std::mutex lock_;
  std::condition_variable has_work_;  // more records published, or finished
  std::condition_variable has_room_;  // bytes freed
  uint64_t published_ = 0;            // byte position; guarded by lock_
  uint64_t consumed_ = 0;             // byte position; guarded by lock_
  bool finishing_ = false;            // guarded by lock_

  // The parser's side only.
  alignas(64) uint64_t written_ = 0;  // byte position
  uint64_t records_ = 0;
  uint64_t consumed_seen_ = 0;
  bool finished_ = false;
  bool inline_ = false;  // no thread could be started: records go straight through

  std::thread analysis_;
};

}  // namespace velmora
