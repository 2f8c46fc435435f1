// What `inspect` takes from a workspace: the workspace's settings when there is one, a new
// workspace's defaults when the question needs none and none is at hand.
#pragma once

#include <string>
#include <string_view>

#include "app/session.h"
#include "core/result.h"
#include "parsing/records/record_completion.h"

namespace velmora {

struct InspectionSetup {
  ParseOptions options;       // the completion a parse run of the workspace applies
  std::string stored_format;  // the workspace's stored log format; empty without a workspace
  std::string server_names;   // the site's own names; empty without a workspace
};

// Opens the workspace `path` names (or the most recent one) for its settings. Without a path and
// without a recent workspace, a question that `needs_workspace` fails with kNoWorkspace and any
// other gets a new workspace's defaults; every other failure to open is returned.
Result<InspectionSetup> SetUpInspection(Session& session, std::string_view path,
                                        bool needs_workspace);

}  // namespace velmora
