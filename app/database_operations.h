// Operations on a workspace's parsed data that a front end starts by name.
#pragma once

#include <string_view>

#include "app/session.h"
#include "core/result.h"

namespace velmora {

// "Remove all parsed data" on the workspace `path` names, opened for writing: asks first,
// empties the database and the report cache, and forgets an unfinished run, whose partial data
// is gone with the rest. Fails as Session::Open does (kBusy while another process uses the
// workspace), and with a message saying why nothing (or not all) was removed when the user said
// No or the database could not be created anew.
Status RemoveAllParsedData(Session& session, std::string_view path);

}  // namespace velmora
