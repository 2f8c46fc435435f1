// TextNumbering: numbers the distinct texts of one record field that a parse run meets, 1, 2,
// 3... in the order they first appear, so that the analysis on the other core can remember what
// it found for a text by its number instead of hashing it and comparing it with the stored copy
// on every request. The parser's core pays for the hash and the comparison instead, and most
// texts of a log are repeats.
//
// Invariants: equal texts always get the same number and different texts different numbers
// (every hit is compared in full, NULs included); numbers are dense, from 1; 0 means "not
// numbered". Memory is bounded: once kMaxTexts texts or kMaxBytes of them are held, new texts get
// 0 and the numbered ones keep their numbers until Clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parsing/log_record.h"

namespace velmora {

class TextNumbering {
 public:
  static constexpr size_t kMaxTexts = size_t{1} << 17;
  static constexpr size_t kMaxBytes = size_t{4} << 20;

  // The number of `text`, given it now if it is new and there is room; 0 otherwise.
  uint32_t Number(std::string_view text);
  // Forgets every text; numbering starts again from 1.
  void Clear();
  size_t size() const { return spans_.size(); }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t number = 0;  // 0: empty
  };
  struct Span {
    uint32_t offset;
    uint32_t size;
  };

  std::string_view TextOf(uint32_t number) const;
  void Grow();

  std::vector<Slot> slots_;  // open addressing, linear probing; size a power of two or 0
  std::vector<Span> spans_;  // of number n at n - 1
  std::string bytes_;        // the numbered texts, one after the other
};

// The numberings of the texts the analysis looks up by value: resource, user agent, referrer.
struct RecordTextNumbering {
  TextNumbering uri_stem;
  TextNumbering user_agent;
  TextNumbering referrer;

  // Fills the record's numbers of its non-empty texts.
  void Number(LogRecord& record);
  void Clear();
};

}  // namespace velmora
