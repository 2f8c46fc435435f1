// The cached report results in a workspace's reports/ folder. Any new parsed data, and a reset,
// makes every one of them stale; they are deleted then rather than checked one by one.
#pragma once

#include <string_view>

namespace velmora {

// Deletes every file in `workspace_folder`'s reports/ (also symbolic links, not what they point
// to), never a folder or anything inside one. A missing folder has nothing to delete.
void InvalidateReportCaches(std::string_view workspace_folder);

}  // namespace velmora
