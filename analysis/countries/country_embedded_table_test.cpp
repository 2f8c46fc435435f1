// The table the program carries: it loads whole, answers the known spot checks, and its
// bisection agrees with a scan over the records it was unpacked from.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "analysis/countries/country_list.h"
#include "analysis/countries/country_packed_table.h"
#include "analysis/countries/country_table.h"
#include "analysis/countries/country_table_testing.h"

namespace velmora {
namespace {

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

const CountryTable& Table() {
  const Result<CountryTable>& table = LoadSharedCountryTable();
  EXPECT_TRUE(table.ok());
  return SharedCountryTable();
}

const std::vector<unsigned char>& Records() {
  static const std::vector<unsigned char> records = [] {
    const std::span<const unsigned char> packed = PackedCountryTable();
    return testing::Unpack(std::vector<unsigned char>(packed.begin(), packed.end()),
                           kCountryAreaSize);
  }();
  return records;
}

TEST(EmbeddedCountryTableTest, LoadsWhole) {
  ASSERT_FALSE(Records().empty());
  EXPECT_EQ(Records().size() % kNetworkRecordSize, 0u);
  EXPECT_EQ(Table().unpacked_bytes(), Records().size());
  EXPECT_EQ(Table().record_count(), Records().size() / kNetworkRecordSize);
  EXPECT_EQ(Table().skipped_records(), 0u);
  EXPECT_GT(Table().record_count(), 100000u);
}

TEST(EmbeddedCountryTableTest, SpotChecks) {
  struct Case {
    uint32_t address;
    std::string_view code;
  };
  const Case cases[] = {
      {Ip(8, 8, 8, 8), "US"},        {Ip(193, 0, 6, 139), "NL"}, {Ip(212, 58, 244, 1), "GB"},
      {Ip(127, 0, 0, 1), "@"},       {Ip(10, 1, 2, 3), "@"},     {Ip(172, 16, 5, 4), "@"},
      {Ip(172, 31, 255, 255), "@"},  {Ip(192, 168, 1, 1), "@"},  {Ip(0, 0, 0, 0), "@"},
      {Ip(255, 255, 255, 255), "@"}, {Ip(224, 0, 0, 1), "@"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountryCode(Table().CountryOfAddress(c.address)), c.code) << std::hex << c.address;
  }
}

// The packed networks never overlap, so each one answers for all of its addresses; and the codes
// appended to the list (PS among them) are all present at their appended indexes.
TEST(EmbeddedCountryTableTest, EveryRecordIsFoundAtBothEndsOfItsNetwork) {
  const CountryTable& table = Table();
  ASSERT_GT(table.record_count(), 0u);
  std::set<uint16_t> present;
  for (size_t i = 0; i < table.record_count(); ++i) {
    const CountryNetwork r = table.record(i);
    const uint32_t last =
        r.network | ~(r.prefix_length == 0 ? 0 : ~uint32_t{0} << (32 - r.prefix_length));
    ASSERT_EQ(table.CountryOfAddress(r.network), r.country) << i;
    ASSERT_EQ(table.CountryOfAddress(last), r.country) << i;
    present.insert(r.country);
  }
  for (uint16_t index = 255; index < CountryCount(); ++index) {
    EXPECT_TRUE(present.count(index)) << CountryCode(index);
  }
  // The last record: the highest network of the longest prefix length present.
  const CountryNetwork last = table.record(table.record_count() - 1);
  EXPECT_EQ(last.prefix_length, 32);
  EXPECT_NE(last.country, kUnknownCountry);
}

TEST(EmbeddedCountryTableTest, BisectionAgreesWithALinearScan) {
  const std::vector<unsigned char>& records = Records();
  const size_t count = records.size() / kNetworkRecordSize;
  ASSERT_GT(count, 0u);
  std::mt19937 random(315);
  for (int i = 0; i < 300; ++i) {
    uint32_t address = random();
    if (i % 2 == 0) {  // from a listed network, so that the hits are not all misses
      const unsigned char* r = records.data() + (random() % count) * kNetworkRecordSize;
      address = ((uint32_t{r[0]} << 24) | (uint32_t{r[1]} << 16) | (uint32_t{r[2]} << 8) | r[3]) |
                (random() & 0x3FF);
    }
    ASSERT_EQ(Table().CountryOfAddress(address), testing::LinearCountryOf(records, address))
        << std::hex << address;
  }
}

}  // namespace
}  // namespace velmora
