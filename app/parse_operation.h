// The parse run as a front end starts it: everything a run needs besides the workspace's own
// settings is wired here (the IP-to-country table, the classifiers, the request processor, saving
// a newly detected format), so that every front end parses the same way.
#pragma once

#include <functional>
#include <string_view>

#include "app/session.h"
#include "core/result.h"
#include "parsing/run/parse_driver.h"
#include "platform/progress_dialog.h"

namespace velmora {

// Called with a failure nobody has been told of yet, while the run goes on (the workspace file
// could not be written when a detected format was saved).
using ReportFailureFn = std::function<void(const Error& error)>;

// Opens the workspace `path` names for writing the database (an unfinished run is reported
// first), runs the "Parsing files" progress with `view`, and reloads the report day afterwards.
// Fails before the run when the IP-to-country table cannot be made (kShownToUser), the workspace
// does not open (the kinds of Session::Open) or another process uses it (kBusy). A run that was
// cancelled or could not open the database still returns its summary, which says so.
Result<ParseRunSummary> RunParse(Session& session, std::string_view path, ProgressView& view,
                                 const ReportFailureFn& report_failure);

}  // namespace velmora
