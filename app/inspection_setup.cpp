#include "app/inspection_setup.h"

#include "workspace/parse_setup.h"

namespace velmora {

Result<InspectionSetup> SetUpInspection(Session& session, std::string_view path,
                                        bool needs_workspace) {
  const Status opened = session.Open(path);
  InspectionSetup setup;
  if (opened.ok()) {
    const Workspace& ws = session.workspace();
    setup.options = MakeParseOptions(ws.settings(), ws.time_shift());
    setup.stored_format = ws.settings().block.custom_format;
    setup.server_names = ws.settings().block.server_names;
    return setup;
  }
  if (needs_workspace || opened.error().kind != ErrorKind::kNoWorkspace || !path.empty()) {
    return opened.error();
  }
  setup.options = MakeParseOptions(NewWorkspaceSettings("inspect"), 0);
  return setup;
}

}  // namespace velmora
