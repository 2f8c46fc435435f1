#include "analysis/visits/standard_classifiers.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "analysis/countries/country_table_testing.h"

namespace velmora {
namespace {

using testing::LinearCountryOf;
using testing::Pack;
using testing::ProbeAddresses;
using testing::RandomNestedNetworks;
using testing::RecordBytes;

TEST(StandardClassifiersTest, TheAddressMemoAnswersAsTheTableHitOrEvicted) {
  std::mt19937 random(20240611);
  const std::vector<testing::RawNetwork> networks = RandomNestedNetworks(random, 3000);
  const std::vector<unsigned char> bytes = RecordBytes(networks);
  Result<CountryTable> table = CountryTable::Create(Pack(bytes));
  ASSERT_TRUE(table.ok());
  const std::vector<uint32_t> probes = ProbeAddresses(random, networks, 6000);
  StandardClassifiers classifiers(*table);
  for (int pass = 0; pass < 2; ++pass) {
    for (const uint32_t address : probes) {
      ASSERT_EQ(classifiers.CountryOfClient(false, address, ""), LinearCountryOf(bytes, address))
          << address;
    }
  }
}

// A client logged by name is looked up by its text: an IPv6 address in the IPv6 table (or, mapped,
// in the IPv4 one), any other name by its last label.
TEST(StandardClassifiersTest, NamedClientsByIpv6AddressOrLastLabel) {
  Result<CountryTable> table =
      CountryTable::Create(Pack(RecordBytes({{0x08080800, 24, "DE"}})));  // 8.8.8.0/24
  ASSERT_TRUE(table.ok());
  StandardClassifiers classifiers(*table);
  const auto index = [](const char* code) { return CountryIndexOfCode(CountryCodeValue(code)); };
  EXPECT_EQ(classifiers.CountryOfClient(true, 0xFFFFFFFF, "2001:4860:4860::8888"), index("US"));
  EXPECT_EQ(classifiers.CountryOfClient(true, 0xFFFFFFFF, "::ffff:8.8.8.8"), index("DE"));
  EXPECT_EQ(classifiers.CountryOfClient(true, 0xFFFFFFFF, "fe80::1%eth0"), kUnknownCountry);
  EXPECT_EQ(classifiers.CountryOfClient(true, 0xFFFFFFFF, "proxy.example.de"), index("DE"));
}

}  // namespace
}  // namespace velmora
