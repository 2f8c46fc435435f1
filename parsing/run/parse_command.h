// The parse run as a whole: a "Parsing files" ProgressDialog whose worker is a ParseDriver, run
// on the calling thread. This is the entry point of the front ends: they fill ParseSettings from
// the workspace, pass their prompter and progress view, save the workspace when the hook reports a
// detected format, and read the outcome (counters, cancel, parsing.log path) from the summary.
#pragma once

#include "core/workspace_layout.h"
#include "parsing/run/parse_database.h"
#include "parsing/run/parse_driver.h"
#include "parsing/run/parse_settings.h"
#include "parsing/run/request_sink.h"
#include "platform/progress_dialog.h"
#include "platform/prompter.h"
#include "storage/run_journal.h"
#include "storage/table_file.h"
#include "storage/workspace_database.h"

namespace velmora {

// ParseDatabase over the workspace database, with the run journal that makes a run all or
// nothing.
class WorkspaceParseDatabase final : public ParseDatabase {
 public:
  explicit WorkspaceParseDatabase(WorkspaceDatabase& database)
      : database_(database), journal_(database.workspace_folder()) {}

  bool Open() override { return database_.Open(); }
  void Release() override { database_.Release(); }
  bool IsLogParsed(std::string_view file_name) override {
    return database_.IsLogParsed(file_name).value_or(false);
  }
  bool AddParsedLog(std::string_view file_name) override {
    return database_.AddParsedLog(file_name);
  }
  LogPositions LoadLogPositions() override { return LogPositions::Load(PositionsPath()); }
  Status SaveLogPositions(const LogPositions& positions) override {
    return positions.Save(PositionsPath());
  }
  Status BeginWrites() override;
  bool WriteFailed() override { return TableGrowthFailures() != growth_failures_at_begin_; }
  std::string WriteFailureText(double share_read) override;
  Status CommitWrites() override { return journal_.Commit(); }
  Status UndoWrites() override;

 private:
  std::string PositionsPath() const { return database_.TablePath(kLogPositionsName); }

  WorkspaceDatabase& database_;
  RunJournal journal_;
  uint64_t growth_failures_at_begin_ = 0;
  uint64_t bytes_at_begin_ = 0;
};

struct ParseCommandResult {
  ProgressResult dialog_result = ProgressResult::kOk;
  ParseRunSummary summary;
};

// Runs the parse over `database` with `requests` taking the records.
ParseCommandResult RunParseCommand(const ParseSettings& settings, ParseDatabase& database,
                                   RequestSink& requests, Prompter& prompter, ProgressView& view,
                                   ParseHooks hooks = {}, ProgressDialog::Options dialog = {});

// Runs the parse over an already constructed workspace database (the front end keeps it for its
// reports) with `requests` taking the records.
ParseCommandResult RunParseCommand(const ParseSettings& settings, WorkspaceDatabase& database,
                                   RequestSink& requests, Prompter& prompter, ProgressView& view,
                                   ParseHooks hooks = {});

// Runs the parse over a workspace database of its own in settings.workspace_folder, with no
// analysis of the records beyond counting them.
ParseCommandResult RunParseCommand(const ParseSettings& settings, Prompter& prompter,
                                   ProgressView& view, ParseHooks hooks = {});

}  // namespace velmora
