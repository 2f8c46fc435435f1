// What a parse run and the line inspector take from a workspace: the settings of the parse run
// as a plain value (parsing never sees the workspace itself).
#pragma once

#include "parsing/parse_settings.h"
#include "workspace/workspace.h"

namespace velmora {

// Format mode and stored format, default document, time shift, and the workspace's rules.
ParseSettings MakeParseSettings(const Workspace& workspace);
// The completion options alone, for a workspace's settings (or a new workspace's defaults).
ParseOptions MakeParseOptions(const WorkspaceSettings& settings, int32_t time_shift_seconds);

}  // namespace velmora
