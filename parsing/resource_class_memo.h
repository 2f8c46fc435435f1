// MemoizeResourceRules: the resource rules of a parse run behind a small direct-mapped memo of
// URL to request class. A site's URLs repeat (pages, their pictures, style sheets), and the
// rules are file masks tried one after another, so most lines can skip them.
//
// The rules are a pure function of the URL for the whole run (they are read once before it
// starts), so the memo answers exactly what the rules would. Memory is bounded: a fixed number
// of slots, each holding the last URL that hashed to it.
#pragma once

#include "parsing/record_completion.h"

namespace velmora {

// `rules` (empty: the rules of a new workspace) behind a memo. The returned function is meant for
// one thread: the parse worker.
ResourceRulesFn MemoizeResourceRules(ResourceRulesFn rules);

}  // namespace velmora
