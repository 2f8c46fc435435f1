#include "core/crc32.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora {
namespace {

TEST(Crc32Test, Bzip2CheckValues) {
  struct Case {
    std::string_view text;
    uint32_t crc;
  };
  const Case cases[] = {
      {"123456789", 0xFC891918u},
      {"", 0u},
      {"a", 0x19939B6Bu},
      {std::string_view("\0", 1), 0xB1F7404Bu},
  };
  for (const Case& c : cases) EXPECT_EQ(Crc32Bzip2(c.text), c.crc) << c.text;
}

TEST(Crc32Test, UpdateContinuesAcrossPiecesFromAnyStart) {
  for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u}) {
    const uint32_t whole = CrcUpdate(start, "www.example.com");
    EXPECT_EQ(CrcUpdate(CrcUpdate(start, "www.exa"), "mple.com"), whole) << start;
    uint32_t stepped = start;
    for (char c : std::string_view("www.example.com")) {
      stepped = CrcStep(stepped, static_cast<uint8_t>(c));
    }
    EXPECT_EQ(stepped, whole) << start;
    EXPECT_EQ(CrcUpdate(start, ""), start);
  }
  // High bytes are taken unsigned.
  EXPECT_NE(CrcUpdate(0, "\xFF"), CrcUpdate(0, "\x7F"));
}

}  // namespace
}  // namespace velmora
