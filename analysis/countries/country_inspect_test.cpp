#include "analysis/countries/country_inspect.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CountryInspectTest, DottedAddressesParseStrictly) {
  struct Case {
    std::string_view text;
    bool ok;
    uint32_t address;
  };
  const Case cases[] = {
      {"8.8.8.8", true, 0x08080808},
      {"193.0.6.139", true, 0xC100068B},
      {"0.0.0.0", true, 0},
      {"255.255.255.255", true, 0xFFFFFFFF},
      {"010.001.000.009", true, 0x0A010009},
      {"256.1.1.1", false, 0},
      {"1.2.3", false, 0},
      {"1.2.3.4.5", false, 0},
      {"1..3.4", false, 0},
      {"1.2.3.4 ", false, 0},
      {" 1.2.3.4", false, 0},
      {"1.2.3.0004", false, 0},
      {"a.b.c.d", false, 0},
      {"", false, 0},
      {"1.2.3.-4", false, 0},
  };
  for (const Case& c : cases) {
    Result<uint32_t> address = ParseIpv4Address(c.text);
    ASSERT_EQ(address.ok(), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(*address, c.address) << c.text;
    } else {
      EXPECT_EQ(address.error().message, "\"" + std::string(c.text) + "\" is not an IPv4 address");
    }
  }
}

// A host name is answered from its last label, without the address table.
TEST(CountryInspectTest, HostNamesNeedNoTableAndIndexesPastTheListAreUnknown) {
  const CountryAnswer uk = InspectHostName(CountryTable(), "www.bbc.co.uk");
  EXPECT_EQ(uk.country, 225);
  EXPECT_EQ(uk.name, "United Kingdom");
  EXPECT_EQ(InspectHostName(CountryTable(), "localhost").name, "Unknown");
  EXPECT_EQ(CountryAnswerOf(60000).country, 0);
  EXPECT_EQ(CountryAnswerOf(60000).code, "@");
}

}  // namespace
}  // namespace velmora
