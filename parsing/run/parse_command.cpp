#include "parsing/run/parse_command.h"

#include <utility>

#include "parsing/run/run_marker.h"

namespace velmora {

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
