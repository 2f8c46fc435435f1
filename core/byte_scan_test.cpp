#include "core/byte_scan.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

namespace velmora {
namespace {

// Finds exactly what a byte loop finds, for both values the same or not, high bytes and NULs
// among them, wherever the sixteen- and eight-byte steps fall; each text sits in a buffer of
// its own size, so a read past its end shows under the address sanitizer.
TEST(ByteScanTest, FindsWhatAByteLoopFinds) {
  const std::string alphabet = std::string("ab \t\x80\xFF\x01", 7) + '\0';
  std::mt19937 random(5);
  for (int round = 0; round < 50'000; ++round) {
    const size_t n = random() % 70;
    auto text = std::make_unique<char[]>(n + (n == 0 ? 1 : 0));
    // Mostly one letter, so that the values looked for turn up late or not at all.
    for (size_t i = 0; i < n; ++i) {
      text[i] = random() % 8 == 0 ? alphabet[random() % alphabet.size()] : 'b';
    }
    const char a = alphabet[random() % alphabet.size()];
    const char b = round % 3 == 0 ? a : alphabet[random() % alphabet.size()];
    size_t expected = 0;
    while (expected < n && text[expected] != a && text[expected] != b) ++expected;
    ASSERT_EQ(FindEitherByte(text.get(), n, a, b), expected)
        << "round " << round << ", " << n << " bytes";
  }
}

}  // namespace
}  // namespace velmora
