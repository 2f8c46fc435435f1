// Finding the first of two byte values in a run of bytes, sixteen bytes at a time where the
// vector unit every x86-64 has is there, eight at a time by word arithmetic elsewhere and in
// the tail. Both the line matcher's fields and the W3C word splitter end at one of one or two
// bytes, and finding those ends is on the path of every line: a byte loop would spend more on it
// than on everything else done with a line, and a call to memchr per field costs more than its
// search on fields of a dozen bytes.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/byte_order.h"

namespace velmora {

// The index of the first of the `n` bytes at `p` equal to `a` or `b` (pass the same value twice
// to look for one), or `n` when none is. Reads none of the bytes beyond the `n`.
inline size_t FindEitherByte(const char* p, size_t n, char a, char b) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  for (; n - i >= 16; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const int marks =
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)));
    if (marks != 0) return i + static_cast<size_t>(std::countr_zero(static_cast<unsigned>(marks)));
  }
#endif
  // A byte equal to the one looked for turns to zero under the xor, and the lowest zero byte of
  // a word is found exactly by the borrow trick (a false mark can only follow a true one).
  constexpr uint64_t kOnes = 0x0101010101010101;
  constexpr uint64_t kHighs = 0x8080808080808080;
  for (; n - i >= 8; i += 8) {
    const uint64_t word = LoadLE64(p + i);  // the first byte lowest
    const uint64_t xa = word ^ (kOnes * static_cast<unsigned char>(a));
    const uint64_t xb = word ^ (kOnes * static_cast<unsigned char>(b));
    const uint64_t marks = ((xa - kOnes) & ~xa & kHighs) | ((xb - kOnes) & ~xb & kHighs);
    if (marks != 0) return i + static_cast<size_t>(std::countr_zero(marks) / 8);
  }
  while (i < n && p[i] != a && p[i] != b) ++i;
  return i;
}

}  // namespace velmora
