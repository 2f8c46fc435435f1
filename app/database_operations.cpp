#include "app/database_operations.h"

#include "parsing/run/run_marker.h"

namespace velmora {

Status RemoveAllParsedData(Session& session, std::string_view path) {
  // Not OpenForDatabase: its report of an unfinished run would offer this very reset.
  if (Status opened = session.Open(path, DatabaseAccess::kWrite); !opened.ok()) return opened;
  Workspace& workspace = session.workspace();
  if (!workspace.database()->Reset([&workspace] { workspace.ReloadAfterReset(); })) {
    return Error{0, "the parsed data was not removed", ErrorKind::kShownToUser};
  }
  ClearUnfinishedRun(workspace.folder());
  return {};
}

}  // namespace velmora
