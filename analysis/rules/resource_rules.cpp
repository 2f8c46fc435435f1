#include "analysis/rules/resource_rules.h"

#include <array>
#include <cstddef>

#include "core/ascii.h"
#include "parsing/records/default_resource_rules.h"
#include "platform/file_mask.h"

namespace velmora {
namespace {

constexpr std::array<std::string_view, 4> kTypeNames = {"Undefined", "Page", "Download", "Image"};
constexpr std::array<std::string_view, 3> kLoggingNames = {"Do not log", "Log as Visit",
                                                           "Log as non-Visit"};
constexpr std::string_view kUnchanged = "Unchanged";

bool IsMaskSeparator(char c) { return c == ',' || c == ';'; }
bool IsMaskBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsMaskBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsMaskBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Calls `visit` with each trimmed, non-empty piece of `text` until it returns true; returns
// whether one did. Walks the text in place so that classifying a request allocates nothing.
template <class Visit>
bool AnyPiece(std::string_view text, Visit&& visit) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = start;
    while (end < text.size() && !IsMaskSeparator(text[end])) ++end;
    const std::string_view piece = Trim(text.substr(start, end - start));
    if (!piece.empty() && visit(piece)) return true;
    start = end + 1;
  }
  return false;
}

// `text` with blanks as '-', ignoring case, equals `label`.
bool MatchesLabel(std::string_view text, std::string_view label) {
  if (text.size() != label.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char want = label[i] == ' ' ? '-' : AsciiLower(label[i]);
    const char got = text[i] == ' ' ? '-' : AsciiLower(text[i]);
    if (want != got) return false;
  }
  return true;
}

std::optional<int32_t> ParseNumberedLabel(std::string_view text,
                                          std::span<const std::string_view> labels) {
  if (text.size() == 1 && text[0] >= '0' && static_cast<size_t>(text[0] - '0') < labels.size()) {
    return text[0] - '0';
  }
  for (size_t i = 0; i < labels.size(); ++i) {
    if (MatchesLabel(text, labels[i])) return static_cast<int32_t>(i);
  }
  return std::nullopt;
}

std::optional<int32_t> ParseLoggingShortForm(std::string_view text) {
  if (MatchesLabel(text, "visit")) return kRuleLogAsVisit;
  if (MatchesLabel(text, "non visit")) return kRuleLogAsNonVisit;
  return std::nullopt;
}

}  // namespace

std::vector<std::string_view> SplitMaskText(std::string_view text) {
  std::vector<std::string_view> pieces;
  AnyPiece(text, [&pieces](std::string_view piece) {
    pieces.push_back(piece);
    return false;
  });
  return pieces;
}

uint32_t ApplyResourceRules(std::span<const ResourceMask> masks, std::string_view url) {
  return CompiledResourceRules(masks).ClassOf(url);
}

CompiledResourceRules::CompiledResourceRules(std::span<const ResourceMask> masks) {
  for (const ResourceMask& entry : masks) {
    AnyPiece(entry.mask, [&](std::string_view mask) {
      const std::optional<std::string_view> ending = StarMaskEnding(mask);
      pieces_.push_back(Piece{std::string(ending.value_or(mask)), ending.has_value(),
                              entry.request_class, IsCatchAllMask(mask)});
      return false;
    });
  }
  for (uint32_t i = 0; i < pieces_.size(); ++i) {
    const std::string& text = pieces_[i].text;
    const char last = text.empty() ? '*' : text.back();  // an empty ending matches everything
    if (last == '*' || last == '?') {
      for_empty_.push_back(i);
      for (std::vector<uint32_t>& candidates : by_last_) candidates.push_back(i);
    } else {
      by_last_[static_cast<unsigned char>(AsciiLower(last))].push_back(i);
    }
  }
}

std::vector<ResourceMask> DefaultResourceMasks() {
  std::vector<ResourceMask> masks;
  for (const ResourceMaskEntry& e : DefaultResourceMaskEntries()) {
    masks.push_back(ResourceMask{std::string(e.mask), e.request_class, e.group});
  }
  return masks;
}

uint32_t CompiledResourceRules::ClassOf(std::string_view url) const {
  return Find(url).request_class;
}

CompiledResourceRules::Match CompiledResourceRules::Find(std::string_view url) const {
  const std::vector<uint32_t>& candidates =
      url.empty() ? for_empty_ : by_last_[static_cast<unsigned char>(AsciiLower(url.back()))];
  for (const uint32_t i : candidates) {
    const Piece& piece = pieces_[i];
    if (piece.ending ? EndsWithIgnoringCase(url, piece.text) : MatchFileMask(piece.text, url)) {
      return Match{piece.request_class, piece.catch_all};
    }
  }
  return Match{};
}

bool IsCatchAllMask(std::string_view mask) {
  return !mask.empty() && mask.find_first_not_of('*') == std::string_view::npos;
}

uint32_t RequestClassOf(int32_t type, int32_t logging) {
  const uint32_t type_bits = type >= 0 && type < 4 ? static_cast<uint32_t>(type) : 0;
  switch (logging) {
    case kRuleLogAsVisit:
      return type_bits | 0x100;
    case kRuleLogAsNonVisit:
      return type_bits | 0x200;
    default:
      return type_bits;
  }
}

int32_t LoggingOfClass(uint32_t request_class) {
  if (request_class & 0x200) return kRuleLogAsNonVisit;
  if (request_class & 0x100) return kRuleLogAsVisit;
  return kRuleDoNotLog;
}

std::string_view ResourceTypeName(int32_t type) {
  return type >= 0 && type < 4 ? kTypeNames[static_cast<size_t>(type)] : std::string_view();
}

std::string_view LoggingName(int32_t logging) {
  return logging >= 0 && logging < 3 ? kLoggingNames[static_cast<size_t>(logging)]
                                     : std::string_view();
}

std::string_view TypeActionName(int32_t action) {
  return action == kTypeActionUnchanged ? kUnchanged : ResourceTypeName(action);
}

std::string_view LoggingActionName(int32_t action) {
  return action == kLoggingActionUnchanged ? kUnchanged : LoggingName(action);
}

std::optional<int32_t> ParseResourceType(std::string_view text) {
  return ParseNumberedLabel(text, kTypeNames);
}

std::optional<int32_t> ParseLogging(std::string_view text) {
  if (auto shortened = ParseLoggingShortForm(text)) return shortened;
  return ParseNumberedLabel(text, kLoggingNames);
}

std::optional<int32_t> ParseTypeAction(std::string_view text) {
  constexpr std::array<std::string_view, 5> kLabels = {kTypeNames[0], kTypeNames[1], kTypeNames[2],
                                                       kTypeNames[3], kUnchanged};
  return ParseNumberedLabel(text, kLabels);
}

std::optional<int32_t> ParseLoggingAction(std::string_view text) {
  if (auto shortened = ParseLoggingShortForm(text)) return shortened;
  constexpr std::array<std::string_view, 4> kLabels = {kLoggingNames[0], kLoggingNames[1],
                                                       kLoggingNames[2], kUnchanged};
  return ParseNumberedLabel(text, kLabels);
}

}  // namespace velmora
