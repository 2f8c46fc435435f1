#include "analysis/countries/country_list.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/ascii.h"

namespace velmora {
namespace {

TEST(CountryListTest, StoredIndexesKeepTheirEntries) {
  struct Case {
    uint16_t index;
    const char* code;
    const char* name;
  };
  // Indexes are stored in visits: a sample across the whole list, both ends of every block.
  const Case cases[] = {
      {0, "@", "Unknown"},
      {1, "AP", "Asia/Pacific Region"},
      {2, "EU", "Europe"},
      {3, "AD", "Andorra"},
      {43, "CI", "Cote D'Ivoire (Ivory Coast)"},
      {245, "ZW", "Zimbabwe"},
      {246, "COM", "US Commercial"},
      {252, "ORG", "Non-Profit Organization"},
      {253, "ARPA", "Old style Arpanet"},
      {254, "NATO", "Nato field"},
      {255, "AX", "Aland Islands"},
      {266, "RS", "Serbia"},
      {269, "TL", "Timor-Leste"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(CountryCode(c.index), c.code);
    EXPECT_EQ(CountryName(c.index), c.name);
    if (c.index != 0) {
      EXPECT_EQ(CountryIndexOfCode(CountryCodeValue(c.code)), c.index);
    }
  }
  // Past the end of the list: Unknown.
  EXPECT_EQ(CountryName(CountryCount()), "Unknown");
  EXPECT_EQ(CountryCode(0xFFFF), "@");
}

TEST(CountryListTest, CodesAreUniqueAndTwoLetterCountriesSorted) {
  std::set<std::string> seen;
  for (uint16_t i = 0; i < CountryCount(); ++i) {
    EXPECT_TRUE(seen.insert(std::string(CountryCode(i))).second) << CountryCode(i);
    EXPECT_FALSE(CountryName(i).empty()) << i;
  }
  for (uint16_t i = 4; i <= 245; ++i) EXPECT_LT(CountryCode(i - 1), CountryCode(i)) << i;
  for (uint16_t i = 256; i < CountryCount(); ++i) EXPECT_LT(CountryCode(i - 1), CountryCode(i));
}

TEST(CountryListTest, IndexOfCodeMatchesExactlyAndNeverFindsUnknown) {
  for (std::string_view code : {"@", "us", "", "XX", "ARP"}) {
    EXPECT_EQ(CountryIndexOfCode(CountryCodeValue(code)), 0) << code;
  }
  // Only the first four bytes take part.
  EXPECT_EQ(CountryCodeValue("NATOX"), CountryCodeValue("NATO"));
}

TEST(CountryListTest, HostNamesGoByTheirLastLabel) {
  struct Case {
    std::string_view host;
    uint16_t index;
  };
  const Case cases[] = {
      {"WWW.EXAMPLE.DE", 56},
      {"example.info", 0},   // four characters, no such code
      {"site.museum", 0},    // cut to MUSE
      {"old.arpanet", 253},  // cut to ARPA
      {"natoclub.natoclub", 254},
      {"localhost", 0},  // no dot
      {"", 0},
      {".", 0},
      {"example.de.", 0},  // empty last label
      {"x.p", 0},
      {"x.@", 0},  // the code of Unknown is never matched
      {"192.168.1.1", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CountryOfHostName(c.host), c.index) << c.host;
}

TEST(CountryListTest, EveryEntryIsReachableByItsHostLabel) {
  for (uint16_t i = 1; i < CountryCount(); ++i) {
    const std::string host = "www.example." + AsciiLowered(CountryCode(i));
    EXPECT_EQ(CountryOfHostName(host), i) << host;
  }
}

}  // namespace
}  // namespace velmora
