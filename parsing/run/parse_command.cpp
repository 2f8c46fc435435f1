#include "parsing/run/parse_command.h"

#include <algorithm>
#include <utility>

#include "parsing/run/run_marker.h"
#include "platform/durable_files.h"

namespace velmora {

Status WorkspaceParseDatabase::BeginWrites() {
  growth_failures_at_begin_ = TableGrowthFailures();
  bytes_at_begin_ = journal_.DatabaseBytes();
  return journal_.Begin();
}

std::string WorkspaceParseDatabase::WriteFailureText(double share_read) {
  const std::string& folder = database_.workspace_folder();
  const uint64_t free = FreeBytesOn(folder);
  // A table grows a step at a time; less than a few steps free means the disk is what stopped it.
  if (free >= 16 * uint64_t{1 << 16}) {
    return "a table of the database could not grow (the message above says why)";
  }
  const uint64_t now = journal_.DatabaseBytes();
  const uint64_t grown = now > bytes_at_begin_ ? now - bytes_at_begin_ : 0;
  const double share = std::clamp(share_read, 0.01, 1.0);
  const auto whole_run = static_cast<uint64_t>(static_cast<double>(grown) / share);
  const uint64_t more = std::max<uint64_t>(whole_run - grown + (1 << 20), 1 << 20);
  return "the disk of " + folder + " is full (" + FormatMegabytes(free) +
         " free): this run needs about " + FormatMegabytes(more) +
         " more. Free that much and parse again";
}

Status WorkspaceParseDatabase::UndoWrites() {
  // The copy goes back in place of the files: nothing may map them any more.
  database_.CloseNow();
  return journal_.Rollback();
}

ParseCommandResult RunParseCommand(const ParseSettings& settings, ParseDatabase& database,
                                   RequestSink& requests, Prompter& prompter, ProgressView& view,
                                   ParseHooks hooks, ProgressDialog::Options dialog_options) {
  ParseDriver driver(settings, database, requests, std::move(hooks));
  ProgressDialog dialog(
      std::string(kParsingTitle), [&driver](ProgressDialog& d) { return driver.Run(d); },
      std::move(dialog_options));
  ParseCommandResult result;
  result.dialog_result = dialog.RunModal(view, prompter);
  result.summary = driver.summary();
  return result;
}

ParseCommandResult RunParseCommand(const ParseSettings& settings, WorkspaceDatabase& database,
                                   RequestSink& requests, Prompter& prompter, ProgressView& view,
                                   ParseHooks hooks) {
  WorkspaceParseDatabase parse_database(database);
  ParseRunMarker marker(database.workspace_folder());
  return RunParseCommand(settings, parse_database, requests, prompter, view, std::move(hooks));
}

ParseCommandResult RunParseCommand(const ParseSettings& settings, Prompter& prompter,
                                   ProgressView& view, ParseHooks hooks) {
  WorkspaceDatabase database(prompter, settings.workspace_folder);
  RequestSink requests;
  ParseCommandResult result =
      RunParseCommand(settings, database, requests, prompter, view, std::move(hooks));
  database.CloseNow();
  return result;
}

}  // namespace velmora
