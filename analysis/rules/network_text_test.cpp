#include "analysis/rules/network_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace velmora {
namespace {

struct NetworkCase {
  std::string text;
  uint32_t address;
  uint32_t mask;
  int numbers_read;
  size_t length_read;
};

TEST(ParseNetworkTextTest, ReadsAddressesNetworksAndClampsWhatIsOutOfRange) {
  const NetworkCase cases[] = {
      {"10.1.0.0/16", 0x0A010000, 0xFFFF0000, 5, 11},
      {"10.1.2.3", 0x0A010203, 0xFFFFFFFF, 4, 8},
      {"0.0.0.0/0", 0, 0, 5, 9},
      {"1.2.3.4/32", 0x01020304, 0xFFFFFFFF, 5, 10},
      {"1.2.3.4/1", 0x01020304, 0x80000000, 5, 9},
      // Clamping: numbers above 255 and widths above 32, negative numbers to 0.
      {"999.1.1.1/77", 0xFF010101, 0xFFFFFFFF, 5, 12},
      {"-5.300.2.1/-3", 0x00FF0201, 0, 5, 13},
      {"99999999999999999999999.1.1.1/99999999999999999999", 0xFF010101, 0xFFFFFFFF, 5, 50},
      // Missing numbers count as 0; without all five the mask is a single address.
      {"10.1", 0x0A010000, 0xFFFFFFFF, 2, 4},
      {"10.1/16", 0x0A010000, 0xFFFFFFFF, 2, 4},
      {"10.1.2/24", 0x0A010200, 0xFFFFFFFF, 3, 6},
      {"", 0, 0xFFFFFFFF, 0, 0},
      {"host.example.com", 0, 0xFFFFFFFF, 0, 0},
      // Blanks and a sign before each number are read over, as the numeric reader allows.
      {" 10. 1.+2.3/ 8", 0x0A010203, 0xFF000000, 5, 14},
      // Reading stops at the first character out of place.
      {"10..1.2", 0x0A000000, 0xFFFFFFFF, 1, 2},
      {"10.1.2.3 /8", 0x0A010203, 0xFFFFFFFF, 4, 8},
      {"1.2.3.4/8junk", 0x01020304, 0xFF000000, 5, 9},
      {"1.2.3.4.5", 0x01020304, 0xFFFFFFFF, 4, 7},
  };
  for (const NetworkCase& c : cases) {
    SCOPED_TRACE(c.text);
    const NetworkAddress n = ParseNetworkText(c.text);
    EXPECT_EQ(n.address, c.address);
    EXPECT_EQ(n.mask, c.mask);
    EXPECT_EQ(n.numbers_read, c.numbers_read);
    EXPECT_EQ(n.length_read, c.length_read);
  }
}

TEST(ParseNetworkTextTest, ArbitraryTextStaysWithinItsBounds) {
  std::mt19937 random(77);
  const std::string alphabet = "0123456789./+- \tx";
  for (int round = 0; round < 5000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const NetworkAddress n = ParseNetworkText(text);
    ASSERT_LE(n.length_read, text.size()) << text;
    ASSERT_LE(n.numbers_read, 5) << text;
    if (n.numbers_read < 5) {
      ASSERT_EQ(n.mask, 0xFFFFFFFFu) << text;
    }
    // The mask is always a run of leading ones: its complement a run of trailing ones.
    const uint32_t host_bits = ~n.mask;
    ASSERT_EQ(host_bits & (host_bits + 1), 0u) << text;
  }
}

TEST(ParseNetworkTextTest, NetworkMembershipMasksTheClientOnly) {
  const NetworkAddress net = ParseNetworkText("10.0.0.0/8");
  EXPECT_TRUE(InNetwork(0x0AC80101, net));  // 10.200.1.1
  EXPECT_FALSE(InNetwork(0x0B000001, net));
  // Host bits in the text make the network match nothing: the address itself is not masked.
  const NetworkAddress with_host_bits = ParseNetworkText("10.1.2.3/16");
  EXPECT_FALSE(InNetwork(0x0A010203, with_host_bits));
  const NetworkAddress single = ParseNetworkText("10.1.2.3");
  EXPECT_TRUE(InNetwork(0x0A010203, single));
  EXPECT_FALSE(InNetwork(0x0A010204, single));
}

}  // namespace
}  // namespace velmora
