// Operations on a workspace's parsed data that a front end starts by name.
#pragma once

#include "app/session.h"
#include "core/result.h"

namespace velmora {

// "Remove all parsed data": asks first, empties the database and the report cache, and forgets
// an unfinished run, whose partial data is gone with the rest. Fails with kShownToUser when the
// user said No or the database could not be created anew (which the Prompter has shown).
Status RemoveAllParsedData(Session& session);

}  // namespace velmora
