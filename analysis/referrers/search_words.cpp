#include "analysis/referrers/search_words.h"

namespace velmora {
namespace {

bool IsWordByte(unsigned char b) {
  return (b >= 95 && b <= 122) || (b >= 46 && b <= 58) || (b >= 64 && b <= 90) || b >= 128;
}

bool Counts(std::string_view word) {
  if (word.size() < 3) return false;
  int dots = 0;
  for (char c : word) {
    if (c == '.') {
      ++dots;
    } else if (c < '0' || c > '9') {
      return true;  // not a number
    }
  }
  return dots >= 2;
}

}  // namespace

std::vector<std::string_view> SplitSearchWords(std::string_view phrase) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < phrase.size() && words.size() < kMaxSearchWords) {
    while (i < phrase.size() && !IsWordByte(static_cast<unsigned char>(phrase[i]))) ++i;
    const size_t start = i;
    while (i < phrase.size() && IsWordByte(static_cast<unsigned char>(phrase[i]))) ++i;
    const std::string_view word = phrase.substr(start, i - start);
    if (Counts(word)) words.push_back(word);
  }
  return words;
}

}  // namespace velmora
