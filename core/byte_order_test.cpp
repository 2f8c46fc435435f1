#include "core/byte_order.h"

#include <gtest/gtest.h>

#include <array>

namespace velmora {
namespace {

TEST(ByteOrderTest, StoresLowByteFirstAtAnyAlignment) {
  std::array<unsigned char, 16> buffer{};
  StoreLE16(buffer.data() + 1, 0xA1B2);
  StoreLE32(buffer.data() + 3, 0xC1D2E3F4u);
  StoreLE64(buffer.data() + 7, 0x0102030405060708ull);
  const std::array<unsigned char, 16> expected = {0,    0xB2, 0xA1, 0xF4, 0xE3, 0xD2, 0xC1, 0x08,
                                                  0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0};
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(LoadLE16(buffer.data() + 1), 0xA1B2);
  EXPECT_EQ(LoadLE32(buffer.data() + 3), 0xC1D2E3F4u);
  EXPECT_EQ(LoadLE64(buffer.data() + 7), 0x0102030405060708ull);
  StoreLE64(buffer.data(), ~0ull);
  EXPECT_EQ(LoadLE64(buffer.data()), ~0ull);
}

}  // namespace
}  // namespace velmora
