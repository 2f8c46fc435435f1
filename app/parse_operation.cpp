#include "app/parse_operation.h"

#include "analysis/countries/country_table.h"
#include "analysis/visits/request_processor.h"
#include "analysis/visits/standard_classifiers.h"
#include "parsing/run/parse_command.h"
#include "parsing/run/run_marker.h"
#include "reports/frame/report_cache.h"
#include "workspace/parse_setup.h"

namespace velmora {

Result<ParseRunSummary> RunParse(Session& session, std::string_view path, ProgressView& view,
                                 const ReportFailureFn& report_failure) {
  // Visits get their country as they open, so the table must exist before the run starts.
  if (const Result<CountryTable>& countries = LoadSharedCountryTable(); !countries.ok()) {
    session.prompter().ShowError(kAppCaption, countries.error().message);
    return Error{countries.error().code, countries.error().message, ErrorKind::kShownToUser};
  }
  if (Status opened = session.OpenForDatabase(path, DatabaseAccess::kWrite); !opened.ok()) {
    return opened.error();
  }
  Workspace& workspace = session.workspace();
  if (HasUnfinishedRun(workspace.folder())) {
    // The user kept data that may hold part of a run: parsing on top would count it twice.
    return Error{0,
                 "the database may hold part of an unfinished parse run, so nothing was parsed; "
                 "'velmora --yes parse' removes all parsed data and parses every log again"};
  }

  ParseHooks hooks;
  hooks.reports_stale = [&workspace] { InvalidateReportCaches(workspace.folder()); };
  hooks.save_stored_format = [&workspace, &report_failure](const std::string& format) {
    if (Status s = workspace.SetCustomFormat(format); !s.ok() && report_failure) {
      report_failure(s.error());
    }
  };
  StandardClassifiers classifiers;
  RequestProcessor requests(*workspace.database(),
                            MakeRequestProcessorSettings(workspace.settings()), classifiers);
  const ParseCommandResult result =
      RunParseCommand(MakeParseSettings(workspace), *workspace.database(), requests,
                      session.prompter(), view, hooks);
  workspace.LoadForReports();
  return result.summary;
}

}  // namespace velmora
