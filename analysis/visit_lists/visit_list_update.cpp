#include "analysis/visit_lists/visit_list_update.h"

#include <algorithm>

namespace velmora {
namespace {

void SetCount(std::vector<int32_t>& words) { words[0] = static_cast<int32_t>(words.size() - 1); }

void EnsureCountWord(std::vector<int32_t>& words) {
  if (words.empty()) words.push_back(0);
}

// Inserts `number` into the ascending run words[first, end) before the first larger entry.
void InsertAscending(std::vector<int32_t>& words, size_t first, size_t end, int32_t number) {
  size_t at = first;
  while (at < end && words[at] <= number) ++at;
  words.insert(words.begin() + static_cast<std::ptrdiff_t>(at), number);
}

}  // namespace

void StartVisitList(std::vector<int32_t>& words, int32_t number) { words.assign({1, number}); }

void LoadVisitList(std::vector<int32_t>& words, std::span<const int32_t> stored) {
  words.assign(stored.begin(), stored.end());
  EnsureCountWord(words);
  SetCount(words);
}

void AddToList(VisitListKind kind, std::vector<int32_t>& words, int32_t number) {
  switch (kind) {
    case VisitListKind::kFullPathPages:
      AddToFullPathList(words, number);
      return;
    case VisitListKind::kSummaryPages:
      AddToSummaryList(words, number);
      return;
    case VisitListKind::kDownloads:
    case VisitListKind::kImages:
    case VisitListKind::kErrors:
      AddToSetList(words, number);
      return;
  }
}

void AddToSetList(std::vector<int32_t>& words, int32_t number) {
  EnsureCountWord(words);
  size_t at = 1;
  while (at < words.size() && words[at] < number) ++at;
  if (at < words.size() && words[at] == number) return;
  words.insert(words.begin() + static_cast<std::ptrdiff_t>(at), number);
  SetCount(words);
}

void AddToFullPathList(std::vector<int32_t>& words, int32_t page) {
  EnsureCountWord(words);
  if (words.size() > 1 && words.back() == page) return;
  words.push_back(page);
  SetCount(words);
}

void AddToSummaryList(std::vector<int32_t>& words, int32_t page) {
  EnsureCountWord(words);
  const size_t n = words.size() - 1;  // entries
  if (n == 0) {
    words.push_back(page);
    SetCount(words);
    return;
  }
  const int32_t first = words[1];
  const int32_t last = words.back();
  if (page == last) return;
  if (n == 1) {
    words.push_back(page);
    SetCount(words);
    return;
  }
  // The middle entries are words[2, size - 1).
  size_t found = 0;
  if (page != first) {
    for (size_t i = 2; i + 1 < words.size(); ++i) {
      if (words[i] == page) {
        found = i;
        break;
      }
    }
  }
  if (found != 0) words.erase(words.begin() + static_cast<std::ptrdiff_t>(found));
  if (page != first && first == last) {
    // The old exit is the entry page again, which never joins the middle: the page takes its
    // place, and leaves the middle when it was there.
    words.back() = page;
  } else {
    // The old exit joins the middle in order and the page becomes the exit.
    words.pop_back();
    InsertAscending(words, 2, words.size(), last);
    words.push_back(page);
  }
  SetCount(words);
}

}  // namespace velmora
