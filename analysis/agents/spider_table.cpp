// Spider recognition. A user agent is scanned once: every distinct pattern of the list is looked
// for at each position through an index by its first two bytes, and the rows are then decided in
// list order from the set of patterns found. The work per text is linear in its length, however
// many rows the list grows to.
#include "analysis/agents/spider_table.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace velmora {
namespace {

// Far above the distinct patterns of the list (four per row at most).
constexpr size_t kMaxPatterns = 2048;
constexpr int16_t kNoPattern = -1;

class SpiderMatcher {
 public:
  SpiderMatcher() {
    for (const SpiderRow& row : SpiderRows()) {
      rows_.push_back({Intern(row.a), Intern(row.a2), Intern(row.b), Intern(row.b2)});
    }
    // Bucket the patterns by their first two bytes; one-byte patterns are checked apart.
    std::vector<std::vector<int16_t>> by_pair(1 << 16);
    for (size_t id = 0; id < patterns_.size(); ++id) {
      const std::string_view p = patterns_[id];
      if (p.size() < 2) {
        single_.push_back(static_cast<int16_t>(id));
        continue;
      }
      const uint16_t pair = Pair(p[0], p[1]);
      by_pair[pair].push_back(static_cast<int16_t>(id));
      present_.set(pair);
    }
    bucket_start_.assign((1 << 16) + 1, 0);
    for (size_t pair = 0; pair < by_pair.size(); ++pair) {
      bucket_start_[pair] = static_cast<uint16_t>(bucket_ids_.size());
      bucket_ids_.insert(bucket_ids_.end(), by_pair[pair].begin(), by_pair[pair].end());
    }
    bucket_start_[1 << 16] = static_cast<uint16_t>(bucket_ids_.size());
  }

  int Recognize(std::string_view t) const {
    std::bitset<kMaxPatterns> found;
    for (int16_t id : single_) {
      if (t.find(patterns_[id]) != std::string_view::npos) found.set(id);
    }
    for (size_t i = 0; i + 1 < t.size(); ++i) {
      const uint16_t pair = Pair(t[i], t[i + 1]);
      if (!present_.test(pair)) continue;
      for (uint16_t k = bucket_start_[pair]; k < bucket_start_[pair + 1]; ++k) {
        const int16_t id = bucket_ids_[k];
        const std::string_view p = patterns_[id];
        if (p.size() <= t.size() - i && std::memcmp(t.data() + i, p.data(), p.size()) == 0) {
          found.set(id);
        }
      }
    }
    const auto has = [&found](int16_t id) { return id != kNoPattern && found.test(id); };
    const std::span<const SpiderRow> rows = SpiderRows();
    for (size_t r = 0; r < rows_.size(); ++r) {
      const RowPatterns& row = rows_[r];
      if (!rows[r].exact.empty() && t == rows[r].exact) return static_cast<int>(r);
      if (has(row.a) && (row.a2 == kNoPattern || has(row.a2))) return static_cast<int>(r);
      if (has(row.b) && (row.b2 == kNoPattern || has(row.b2))) return static_cast<int>(r);
    }
    return -1;
  }

 private:
  struct RowPatterns {
    int16_t a, a2, b, b2;
  };

  static uint16_t Pair(char first, char second) {
    return static_cast<uint16_t>(static_cast<unsigned char>(first) << 8 |
                                 static_cast<unsigned char>(second));
  }

  // The id of `pattern` among the distinct patterns; kNoPattern for an absent one.
  int16_t Intern(std::string_view pattern) {
    if (pattern.empty()) return kNoPattern;
    for (size_t id = 0; id < patterns_.size(); ++id) {
      if (patterns_[id] == pattern) return static_cast<int16_t>(id);
    }
    if (patterns_.size() == kMaxPatterns) std::abort();  // the list outgrew the matcher
    patterns_.push_back(pattern);
    return static_cast<int16_t>(patterns_.size() - 1);
  }

  std::vector<std::string_view> patterns_;
  std::vector<RowPatterns> rows_;
  std::vector<int16_t> single_;
  std::bitset<1 << 16> present_;
  std::vector<uint16_t> bucket_start_;
  std::vector<int16_t> bucket_ids_;
};

const SpiderMatcher& Matcher() {
  static const SpiderMatcher matcher;
  return matcher;
}

}  // namespace

int SpiderCount() { return static_cast<int>(SpiderRows().size()); }

std::string_view SpiderName(int index) {
  if (index < 0 || index >= SpiderCount()) return {};
  return SpiderRows()[static_cast<size_t>(index)].name;
}

int RecognizeSpider(std::string_view lowered) { return Matcher().Recognize(lowered); }

}  // namespace velmora
