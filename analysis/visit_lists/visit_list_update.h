// The per-visit lists in memory and how one request changes them. A list is held as it is
// stored: a count word, then the entries (the terminator is added by the sequence table). Every
// change keeps the count word equal to the number of entries.
//
//  - Set lists (downloads, images, errors): the distinct numbers in ascending order.
//  - Full-path page list: every requested page in request order, a page equal to the one just
//    before it left out.
//  - Summary page list: the entry page, the other pages visited in ascending order without
//    repeats, and the exit page. The entry page is never among the middle entries; entry and
//    exit may be the same page, and a visit that only ever saw one page holds it once.
//
// Lists read back from the database may be damaged; the changes then still stay inside the
// list and keep the count word true, whatever order the entries come in.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

enum class VisitListKind : uint8_t {
  kFullPathPages = 0,
  kSummaryPages = 1,
  kDownloads = 2,
  kImages = 3,
  kErrors = 4,
};
inline constexpr int kVisitListKinds = 5;

// A list of one entry: count 1 and `number`.
void StartVisitList(std::vector<int32_t>& words, int32_t number);
// Replaces `words` with a stored list (count word and entries, without terminator); an empty
// stored sequence reads as an empty list, and the count word is set to the entries there are.
void LoadVisitList(std::vector<int32_t>& words, std::span<const int32_t> stored);

// Adds `number` to the list `words` of kind `kind`.
void AddToList(VisitListKind kind, std::vector<int32_t>& words, int32_t number);

void AddToSetList(std::vector<int32_t>& words, int32_t number);
void AddToFullPathList(std::vector<int32_t>& words, int32_t page);
void AddToSummaryList(std::vector<int32_t>& words, int32_t page);

}  // namespace velmora
