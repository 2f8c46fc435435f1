// Editing the resource rules on the flattened mask list the workspace keeps: list the rules, add
// one at the end, remove one, move one up or down.
//
// A rule is a run of consecutive entries with the same group number; rules are numbered from 1
// in list order, as they are listed. Every edit leaves the groups numbered 0, 1, 2... in order
// and never changes the masks or classes of the rules it does not touch. A refused edit changes
// nothing and says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/rules/filter_types.h"
#include "core/result.h"

namespace velmora {

// Masks longer than this are refused: the settings file keeps a mask in a 260-byte text.
inline constexpr size_t kMaxMaskLength = 259;

// One rule, as ListResourceRules lists it.
struct ResourceRuleLine {
  int number = 0;              // 1-based position in the list
  std::string masks;           // the rule's masks joined with ", "
  uint32_t request_class = 0;  // the class of its first entry
  int32_t type = 0;            // request_class's low byte
  int32_t logging = 0;         // 0 Do not log, 1 Log as Visit, 2 Log as non-Visit
};

enum class MoveDirection : uint8_t { kUp, kDown };

std::vector<ResourceRuleLine> ListResourceRules(std::span<const ResourceMask> masks);

// Adds a rule with the masks of `mask_text` (split at ',' and ';', trimmed), type 0..3 and
// logging strategy 0..2, ahead of the catch-all rules that end the list (CatchAllTail): a rule
// behind them would never be reached. Returns the new rule's number. Refused: no mask, a mask
// over 259 characters or with a NUL, a type or strategy out of range.
Result<int> AddResourceRule(std::vector<ResourceMask>& masks, std::string_view mask_text,
                            int32_t type, int32_t logging);

// The same rule put in as rule `number` (1 to the rule count + 1), wherever that is.
Result<int> InsertResourceRule(std::vector<ResourceMask>& masks, int number,
                               std::string_view mask_text, int32_t type, int32_t logging);

// The number of the first rule of the run at the end of the list whose masks all match nearly
// every path ("*", "*.*": stars, dots and question marks only); the rule count + 1 when the last
// rule is not such a rule.
int CatchAllTail(std::span<const ResourceMask> masks);

// Removes rule `number` (1-based).
Status RemoveResourceRule(std::vector<ResourceMask>& masks, int number);

// Swaps rule `number` with its neighbour above or below. Refused past either end.
Status MoveResourceRule(std::vector<ResourceMask>& masks, int number, MoveDirection direction);

// Shared with the filter list, whose items are numbered the same way. `what` names the items in
// messages ("rule", "filter").
// The 0-based index of item `number` (1-based) of `count`; refused when there is none.
Result<size_t> ItemIndex(size_t count, int number, std::string_view what);
// The 0-based index item `number` moves to; refused when there is no such item or the move
// would leave the list.
Result<size_t> MoveTarget(size_t count, int number, MoveDirection direction, std::string_view what);

}  // namespace velmora
