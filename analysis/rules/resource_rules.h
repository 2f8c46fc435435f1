// Resource rules: file masks that give every requested URL its request class (resource type in
// the low byte, 0x100 log as visit, 0x200 log as non-visit, neither bit: not logged).
//
// The workspace keeps the rules flattened (ResourceMask entries in list order, one mask each,
// with the number of the rule it came from). A rule's text is split at every ',' and ';' and
// each piece trimmed of blanks, tabs, CR and LF; empty pieces are no masks. Entries are tried in
// order and the first matching mask wins, so a rule higher in the list wins over a later one.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/rules/filter_types.h"

namespace velmora {

// What an unmatched request is: undefined, logged as non-visit.
inline constexpr uint32_t kUnmatchedRequestClass = 0x200;

// The rules of a new workspace as the settings hold them: the fifteen masks of
// default_resource_rules.h, in order, with their groups.
std::vector<ResourceMask> DefaultResourceMasks();

// The trimmed, non-empty masks of one rule's text, in order; views into `text`.
std::vector<std::string_view> SplitMaskText(std::string_view text);

// The class of the first mask that matches `url` (the path as logged, the default document
// appended, before lower-casing; matching ignores case); 0x200 when none does. An entry whose
// text still holds ',' or ';' is split as a rule's text would be. Cost is bounded by the
// masks' total length times the URL's length, whatever the masks hold.
uint32_t ApplyResourceRules(std::span<const ResourceMask> masks, std::string_view url);

// Whether a mask matches every URL: it is stars alone ("*").
bool IsCatchAllMask(std::string_view mask);

// ApplyResourceRules for many URLs: the masks are split, trimmed and sorted into plain endings
// ("*.gif") and patterns once, not at every request. A mask matches whole URLs, so one that ends
// in a character other than a wildcard matches only URLs ending in it (ignoring case): each URL
// tries just the pieces its last character allows, still in rule order, with the same answer.
class CompiledResourceRules {
 public:
  explicit CompiledResourceRules(std::span<const ResourceMask> masks);
  uint32_t ClassOf(std::string_view url) const;

  struct Match {
    uint32_t request_class = kUnmatchedRequestClass;
    bool catch_all = true;  // no mask matched, or only one that matches everything ("*")
  };
  Match Find(std::string_view url) const;

 private:
  struct Piece {
    std::string text;  // the mask, or for an ending only the part behind its star
    bool ending;       // a star and then no wildcard: a suffix test
    uint32_t request_class;
    bool catch_all;  // the mask matches every URL
  };
  std::vector<Piece> pieces_;  // in the order of the masks and of the pieces within each
  // Indexes into pieces_, in order: those a URL ending in a given character (lowered) may match,
  // and those an empty URL may match.
  std::array<std::vector<uint32_t>, 256> by_last_;
  std::vector<uint32_t> for_empty_;
};

// Logging strategies of a rule and their bits.
inline constexpr int32_t kRuleDoNotLog = 0;
inline constexpr int32_t kRuleLogAsVisit = 1;
inline constexpr int32_t kRuleLogAsNonVisit = 2;

// type | logging bits for a type 0..3 and a strategy 0..2 (other values give no bits).
uint32_t RequestClassOf(int32_t type, int32_t logging);
// The strategy a class's bits above the type stand for: 0x200 non-visit (also with 0x100 set),
// 0x100 visit, otherwise do not log.
int32_t LoggingOfClass(uint32_t request_class);

// The labels the rules and filters are edited with. Out-of-range values give "".
std::string_view ResourceTypeName(int32_t type);     // "Undefined", "Page", "Download", "Image"
std::string_view LoggingName(int32_t logging);       // "Do not log", "Log as Visit", ...
std::string_view TypeActionName(int32_t action);     // the types and "Unchanged"
std::string_view LoggingActionName(int32_t action);  // the strategies and "Unchanged"

// The number a label stands for, read from a command line: the label ignoring case, the label
// with blanks as '-' ("log-as-non-visit"), the short forms "visit" and "non-visit" of the two
// logging strategies, or the number itself. nullopt for anything else.
std::optional<int32_t> ParseResourceType(std::string_view text);
std::optional<int32_t> ParseLogging(std::string_view text);
std::optional<int32_t> ParseTypeAction(std::string_view text);     // types and "unchanged"
std::optional<int32_t> ParseLoggingAction(std::string_view text);  // strategies and "unchanged"

}  // namespace velmora
