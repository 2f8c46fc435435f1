// The filter bar and the saved report filters as a front end edits them. They travel as the
// "filter-bar" and "report-filters" entries of the settings document (workspace/settings_json.h),
// so a change passes the same checks as a settings import, and it is saved in the workspace at
// once, as the report view keeps it between runs.
#pragma once

#include <nlohmann/json.hpp>

#include "core/result.h"
#include "workspace/workspace.h"

namespace velmora {

// {"filter-bar": {...}, "report-filters": [...]} of `settings`.
nlohmann::json FilterBarJson(const WorkspaceSettings& settings);

// Applies `change`, an object with "filter-bar" (fields absent keep their values) and/or
// "report-filters" (the whole list), and saves the workspace when anything changed. Fails with
// kBadRequest, changing nothing, for any other key, a value out of range, or saved filters whose
// names are empty or repeated.
Status ChangeFilterBar(Workspace& workspace, const nlohmann::json& change);

}  // namespace velmora
