#include "analysis/countries/ipv6_country_table.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/countries/country_inspect.h"
#include "analysis/countries/country_list.h"
#include "analysis/countries/country_table_testing.h"

namespace velmora {
namespace {

Ipv6Address Address(std::initializer_list<uint16_t> groups) {
  Ipv6Address address{};
  size_t i = 0;
  for (const uint16_t group : groups) {
    address[i++] = static_cast<uint8_t>(group >> 8);
    address[i++] = static_cast<uint8_t>(group & 0xFF);
  }
  return address;
}

TEST(Ipv6CountryTableTest, AddressesAsLogsWriteThem) {
  const struct {
    std::string_view text;
    std::optional<Ipv6Address> address;
  } cases[] = {
      {"2001:db8:0:0:0:0:0:1", Address({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1})},
      {"2001:DB8::1", Address({0x2001, 0xdb8, 0, 0, 0, 0, 0, 1})},
      {"::1", Address({0, 0, 0, 0, 0, 0, 0, 1})},
      {"::", Address({0, 0, 0, 0, 0, 0, 0, 0})},
      {"fe80::", Address({0xfe80, 0, 0, 0, 0, 0, 0, 0})},
      {"fe80::1%eth0", Address({0xfe80, 0, 0, 0, 0, 0, 0, 1})},
      {"::ffff:192.0.2.1", Address({0, 0, 0, 0, 0, 0xffff, 0xc000, 0x0201})},
      {"1:2:3:4:5:6:1.2.3.4", Address({1, 2, 3, 4, 5, 6, 0x0102, 0x0304})},
      {"1:2:3:4:5:6:7::", Address({1, 2, 3, 4, 5, 6, 7, 0})},
      {"", std::nullopt},
      {"192.0.2.1", std::nullopt},
      {"www.example.com", std::nullopt},
      {":::", std::nullopt},
      {"1::2::3", std::nullopt},
      {"12345::1", std::nullopt},
      {"g::1", std::nullopt},
      {"1:2:3:4:5:6:7:8:9", std::nullopt},
      {"1:2:3:4:5:6:7", std::nullopt},
      {"1:2:3:4:5:6:7:8::", std::nullopt},
      {"fe80::1%", std::nullopt},
      {"::ffff:1.2.3.256", std::nullopt},
      {"::1.2.3.4:5", std::nullopt},
      {"1:", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIpv6Address(c.text), c.address) << c.text;
}

std::vector<unsigned char> RangeBytes(
    std::initializer_list<std::tuple<Ipv6Address, Ipv6Address, const char*>> ranges) {
  std::vector<unsigned char> bytes;
  for (const auto& [first, last, code] : ranges) {
    bytes.insert(bytes.end(), first.begin(), first.end());
    bytes.insert(bytes.end(), last.begin(), last.end());
    bytes.insert(bytes.end(), code, code + 2);
  }
  return bytes;
}

// Ranges are found at both ends and not between them; a record out of order, as a damaged
// table holds, is left out instead of spoiling the bisection.
TEST(Ipv6CountryTableTest, FindsTheRangeHoldingTheAddress) {
  const Ipv6Address a1 = Address({0x2001, 0x200});
  const Ipv6Address a2 = Address({0x2001, 0x200, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff});
  const Ipv6Address b1 = Address({0x2a00, 0x1450});
  const Ipv6Address b2 = Address({0x2a00, 0x1457, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff});
  const Ipv6CountryTable table(
      testing::Pack(RangeBytes({{a1, a2, "JP"}, {b1, b2, "DE"}, {a1, a2, "FR"}, {b2, b1, "GB"}})));
  ASSERT_EQ(table.range_count(), 2u);
  const uint16_t jp = CountryIndexOfCode(CountryCodeValue("JP"));
  const uint16_t de = CountryIndexOfCode(CountryCodeValue("DE"));
  const struct {
    const char* text;
    uint16_t country;
  } cases[] = {
      {"2001:200::", jp},
      {"2001:200:ffff:ffff:ffff:ffff:ffff:ffff", jp},
      {"2001:201::", kUnknownCountry},
      {"2001:1ff:ffff:ffff:ffff:ffff:ffff:ffff", kUnknownCountry},
      {"2a00:1450::1", de},
      {"2a00:1457:ffff:ffff:ffff:ffff:ffff:ffff", de},
      {"2a00:1458::", kUnknownCountry},
      {"::1", kUnknownCountry},
      {"ffff::", kUnknownCountry},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.CountryOfAddress(*ParseIpv6Address(c.text)), c.country) << c.text;
  }
  EXPECT_EQ(Ipv6CountryTable(testing::Pack({1, 2, 3})).range_count(), 0u);
}

// The embedded table answers what the regeneration's spot checks printed, and an IPv4-mapped
// address is answered by the IPv4 table.
TEST(Ipv6CountryTableTest, EmbeddedTableAndInspection) {
  EXPECT_EQ(SharedIpv6CountryTable().range_count(), 65344u);
  const struct {
    const char* text;
    const char* code;
  } cases[] = {
      {"2001:4860:4860::8888", "US"},
      {"2001:67c:2e8:22::c100:68b", "NL"},
      {"240e::1", "CN"},
      {"::1", "@"},
      {"fe80::1%eth0", "@"},
      {"2001:db8::1", "@"},
      {"::ffff:8.8.8.8", "US"},
      {"::ffff:193.0.6.139", "NL"},
      {"193.0.6.139", "NL"},
  };
  for (const auto& c : cases) {
    const Result<CountryAnswer> answer = InspectIpAddress(SharedCountryTable(), c.text);
    ASSERT_TRUE(answer.ok()) << c.text;
    EXPECT_EQ(answer->code, c.code) << c.text;
  }
  const Result<CountryAnswer> refused = InspectIpAddress(SharedCountryTable(), "example.com");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().message, "\"example.com\" is not an IPv4 or IPv6 address");
}

}  // namespace
}  // namespace velmora
