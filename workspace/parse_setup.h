// What a parse run and the line inspector take from a workspace, as plain values (parsing and
// analysis never see the workspace itself): the run's settings with the completion options
// (default document, time shift, resource rules and log filters), and the request processor's.
#pragma once

#include "analysis/visits/request_processor_settings.h"
#include "parsing/run/parse_settings.h"
#include "workspace/workspace.h"

namespace velmora {

// Format mode and stored format, and the completion options.
ParseSettings MakeParseSettings(const Workspace& workspace);
// The completion options alone, for a workspace's settings (or a new workspace's defaults).
ParseOptions MakeParseOptions(const WorkspaceSettings& settings, int32_t time_shift_seconds);
// Session timeout, visit detection, full paths and the site's own names.
RequestProcessorSettings MakeRequestProcessorSettings(const WorkspaceSettings& settings);

}  // namespace velmora
