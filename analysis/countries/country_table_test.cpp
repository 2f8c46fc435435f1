#include "analysis/countries/country_table.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/countries/country_table_testing.h"
#include "platform/anonymous_memory.h"

namespace velmora {
namespace {

using testing::LinearCountryOf;
using testing::Pack;
using testing::ProbeAddresses;
using testing::RandomNestedNetworks;
using testing::RawNetwork;
using testing::RecordBytes;

constexpr uint32_t Ip(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

constexpr uint16_t kDE = 56, kGB = 77, kNL = 161, kSB = 188, kUS = 227, kFR = 74, kPS = 265;

CountryTable Build(const std::vector<unsigned char>& packed) {
  Result<CountryTable> table = CountryTable::Create(packed);
  EXPECT_TRUE(table.ok());
  return table.ok() ? std::move(*table) : CountryTable();
}

// Unsorted on purpose: the file is in network order, the table sorts by length first. Networks
// shorter than four bits are kept but never searched; damaged records, among the good ones so
// that reading goes on past them, are skipped.
const std::vector<RawNetwork> kSample = {
    {Ip(81, 0, 0, 0), 8, "FR"},
    {Ip(10, 20, 0, 0), 16, "DE"},
    {Ip(11, 0, 0, 0), 33, "GB"},   // longer than an address
    {Ip(12, 0, 0, 0), -1, "GB"},   // negative
    {Ip(13, 0, 0, 0), 127, "GB"},  //
    {Ip(14, 0, 0, 1), 8, "GB"},    // bits set beyond the prefix
    {Ip(10, 20, 30, 0), 24, "GB"},
    {Ip(10, 20, 30, 128), 25, "NL"},
    {Ip(200, 1, 2, 3), 32, "US"},
    {Ip(44, 0, 0, 0), 16, "SB"},
    {Ip(45, 0, 0, 0), 16, "PS"},
    {Ip(46, 0, 0, 0), 16, "QQ"},
    {0, 0, "US"},
    {Ip(64, 0, 0, 0), 2, "DE"},
    {Ip(96, 0, 0, 0), 4, "GB"},
    {Ip(255, 255, 255, 255), 32, "NL"},
};

TEST(CountryTableTest, LongestPrefixWinsAndUnlistedIsUnknown) {
  const CountryTable table = Build(Pack(RecordBytes(kSample)));
  EXPECT_EQ(table.record_count(), kSample.size() - 4);
  EXPECT_EQ(table.skipped_records(), 4u);
  struct Case {
    uint32_t address;
    uint16_t country;
  };
  const Case cases[] = {
      {Ip(10, 20, 1, 1), kDE},       // the /16 alone
      {Ip(10, 20, 30, 7), kGB},      // a /24 inside another country's /16
      {Ip(10, 20, 30, 200), kNL},    // a /25 inside that /24
      {Ip(10, 21, 0, 1), 0},         // next to the /16: no network
      {Ip(81, 255, 255, 255), kFR},  // last address of a /8
      {Ip(200, 1, 2, 3), kUS},       // a /32
      {Ip(200, 1, 2, 4), 0},         {Ip(44, 0, 9, 9), kSB},
      {Ip(45, 0, 9, 9), kPS},  // an appended code, at its appended index
      {Ip(46, 0, 9, 9), 0},    // a code not in the list
      {Ip(127, 0, 0, 1), 0},         {0, 0},
      {Ip(255, 255, 255, 255), kNL},  // the last record of the sorted table
      {Ip(1, 2, 3, 4), 0},            // only the /0 holds it
      {Ip(65, 0, 0, 1), 0},           // only the /2
      {Ip(100, 0, 0, 1), kGB},        // a /4 is searched
      {Ip(11, 0, 0, 1), 0},          {Ip(12, 0, 0, 1), 0},
      {Ip(13, 0, 0, 1), 0},          {Ip(14, 0, 0, 1), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(table.CountryOfAddress(c.address), c.country) << c.address;
}

// Many networks, so the stream spans many deflate blocks and damage can leave a prefix of them.
std::vector<RawNetwork> ManyNetworks() {
  std::vector<RawNetwork> networks;
  const std::string_view codes[] = {"DE", "GB", "NL", "US", "FR"};
  std::mt19937 random(7);
  for (uint32_t i = 0; i < 300000; ++i) {
    // Each /24 gets a code chosen at random, so the records hardly compress.
    networks.push_back({(0x010000u + i) << 8, 24, codes[random() % 5]});
  }
  return networks;
}

TEST(CountryTableTest, BrokenStreamsLeaveAPartialTableThatStillAnswers) {
  const std::vector<unsigned char> bytes = RecordBytes(ManyNetworks());
  const std::vector<unsigned char> packed = Pack(bytes);
  ASSERT_GT(packed.size(), 1000u);

  struct Case {
    const char* name;
    std::vector<unsigned char> stream;
    bool some_loaded;
  };
  std::vector<unsigned char> truncated(packed.begin(), packed.begin() + packed.size() / 2);
  std::vector<unsigned char> damaged = packed;
  for (size_t i = damaged.size() * 3 / 4; i < damaged.size(); i += 97) damaged[i] ^= 0x5A;
  std::vector<unsigned char> bad_magic = packed;
  bad_magic[0] = 'X';
  const Case cases[] = {
      {"truncated", truncated, true},
      {"damaged past the first blocks", damaged, true},
      {"bad magic", bad_magic, false},
      {"empty", {}, false},
      {"header only", {0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3}, false},
      {"garbage", {1, 2, 3, 4, 5, 6, 7, 8, 9}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CountryTable table = Build(c.stream);
    EXPECT_LT(table.unpacked_bytes(), bytes.size());
    EXPECT_EQ(table.unpacked_bytes() > 0, c.some_loaded);
    EXPECT_LE(table.record_count(), table.unpacked_bytes() / kNetworkRecordSize);
    // Loaded records answer as the intact table would; the rest is Unknown.
    size_t known = 0;
    for (uint32_t i = 0; i < 300000; i += 1499) {
      const uint32_t address = ((0x010000u + i) << 8) | 77;
      const uint16_t country = table.CountryOfAddress(address);
      if (country != 0) {
        ++known;
        if (table.skipped_records() == 0 && std::string_view(c.name) == "truncated") {
          EXPECT_EQ(country, LinearCountryOf(bytes, address));
        }
      }
    }
    EXPECT_EQ(known > 0, c.some_loaded);
  }
}

TEST(CountryTableTest, AStreamLargerThanTheAreaIsCutAtItsEnd) {
  // 0x400000 / 7 records fit; the whole stream holds more.
  std::vector<RawNetwork> networks;
  for (uint32_t i = 0; i < 600000; ++i) networks.push_back({i << 8, 24, "US"});
  const CountryTable table = Build(Pack(RecordBytes(networks)));
  EXPECT_EQ(table.unpacked_bytes(), kCountryAreaSize);
  EXPECT_EQ(table.record_count(), kCountryAreaSize / kNetworkRecordSize);
  EXPECT_EQ(table.CountryOfAddress(Ip(0, 0, 5, 1)), kUS);
  EXPECT_EQ(table.CountryOfAddress((599500u << 8) | 1), 0);
}

TEST(CountryTableTest, ACutOffLastRecordIsDropped) {
  std::vector<unsigned char> bytes = RecordBytes({{Ip(10, 0, 0, 0), 8, "DE"}});
  bytes.insert(bytes.end(), {11, 0, 0, 0, 8});
  const CountryTable table = Build(Pack(bytes));
  EXPECT_EQ(table.unpacked_bytes(), 12u);
  EXPECT_EQ(table.record_count(), 1u);
  EXPECT_EQ(table.CountryOfAddress(Ip(11, 0, 0, 1)), 0);
}

TEST(CountryTableTest, BisectionAgreesWithALinearScanOnRandomNestedNetworks) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 5; ++round) {
    const std::vector<RawNetwork> networks = RandomNestedNetworks(random, 3000);
    const std::vector<unsigned char> bytes = RecordBytes(networks);
    const CountryTable table = Build(Pack(bytes));
    ASSERT_EQ(table.record_count(), networks.size());
    for (const uint32_t address : ProbeAddresses(random, networks, 6000)) {
      ASSERT_EQ(table.CountryOfAddress(address), LinearCountryOf(bytes, address)) << address;
    }
  }
}

TEST(CountryTableTest, AnAreaThatCannotBeCreatedStopsTheStart) {
  SetAnonymousMemoryFaultHook([](size_t size) { return size == kCountryAreaSize ? ENOMEM : 0; });
  Result<CountryTable> table = CountryTable::Create(Pack(RecordBytes(kSample)));
  SetAnonymousMemoryFaultHook(nullptr);
  ASSERT_FALSE(table.ok());
  EXPECT_EQ(table.error().message, "Cannot initialize application");
  EXPECT_EQ(table.error().code, ENOMEM);
}

TEST(CountryTableTest, AnEmptyTableAnswersUnknown) {
  const CountryTable table;
  EXPECT_EQ(table.record_count(), 0u);
  EXPECT_EQ(table.CountryOfAddress(Ip(8, 8, 8, 8)), 0);
  EXPECT_EQ(table.record(0).country, 0);
  EXPECT_EQ(table.CountryOfHostName("www.example.de"), kDE);
}

TEST(CountryTableTest, NamedClientsGoByNameAndOthersByNumber) {
  const CountryTable table = Build(Pack(RecordBytes(kSample)));
  EXPECT_EQ(table.CountryOfClient(false, Ip(10, 20, 30, 7), "host.example.de"), kGB);
  EXPECT_EQ(table.CountryOfClient(true, Ip(10, 20, 30, 7), "host.example.de"), kDE);
}

TEST(CountryTableTest, ThreadsLookUpWithoutLocks) {
  const CountryTable table = Build(Pack(RecordBytes(kSample)));
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 6000; ++i) {
        if (table.CountryOfAddress(Ip(10, 20, 30, i & 0x7F)) != kGB) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0);
}

}  // namespace
}  // namespace velmora
