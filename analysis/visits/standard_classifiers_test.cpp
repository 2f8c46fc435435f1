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

}  // namespace
}  // namespace velmora
