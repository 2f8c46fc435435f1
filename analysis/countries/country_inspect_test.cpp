#include "analysis/countries/country_inspect.h"

#include <gtest/gtest.h>

#include "analysis/countries/country_table_testing.h"

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

TEST(CountryInspectTest, AnswersCarryIndexCodeAndName) {
  Result<CountryTable> table = CountryTable::Create(
      testing::Pack(testing::RecordBytes({{0x0A140000, 16, "DE"}, {0x0A141E00, 24, "GB"}})));
  ASSERT_TRUE(table.ok());

  Result<CountryAnswer> gb = InspectIpAddress(*table, "10.20.30.40");
  ASSERT_TRUE(gb.ok());
  EXPECT_EQ(gb->country, 77);
  EXPECT_EQ(gb->code, "GB");
  EXPECT_EQ(gb->name, "Great Britain (UK)");

  Result<CountryAnswer> unknown = InspectIpAddress(*table, "127.0.0.1");
  ASSERT_TRUE(unknown.ok());
  EXPECT_EQ(unknown->country, 0);
  EXPECT_EQ(unknown->code, "@");
  EXPECT_EQ(unknown->name, "Unknown");

  EXPECT_FALSE(InspectIpAddress(*table, "example.com").ok());

  const CountryAnswer uk = InspectHostName(*table, "www.bbc.co.uk");
  EXPECT_EQ(uk.country, 225);
  EXPECT_EQ(uk.code, "UK");
  EXPECT_EQ(uk.name, "United Kingdom");
  EXPECT_EQ(InspectHostName(*table, "localhost").name, "Unknown");
  EXPECT_EQ(CountryAnswerOf(60000).country, 0);
}

}  // namespace
}  // namespace velmora
