// Test helpers for the country table: raw network records, their packed stream, and the
// longest-prefix answer found by scanning every record, which the bisection must agree with.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <random>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/countries/country_list.h"

namespace velmora::testing {

struct RawNetwork {
  uint32_t network;
  int prefix_length;  // written as one signed byte, so damaged values can be built too
  std::string_view code;
};

inline std::vector<unsigned char> RecordBytes(const std::vector<RawNetwork>& networks) {
  std::vector<unsigned char> bytes;
  for (const RawNetwork& n : networks) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back((n.network >> shift) & 0xFF);
    bytes.push_back(static_cast<unsigned char>(static_cast<int8_t>(n.prefix_length)));
    bytes.push_back(n.code.size() > 0 ? n.code[0] : 0);
    bytes.push_back(n.code.size() > 1 ? n.code[1] : 0);
  }
  return bytes;
}

// `bytes` as the program ships them: a gzip stream at level 9.
inline std::vector<unsigned char> Pack(const std::vector<unsigned char>& bytes) {
  z_stream stream{};
  if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::vector<unsigned char> packed(deflateBound(&stream, bytes.size()) + 64);
  std::vector<unsigned char> input = bytes;
  stream.next_in = input.data();
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = packed.data();
  stream.avail_out = static_cast<uInt>(packed.size());
  const int rc = deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  return rc == Z_STREAM_END ? packed : std::vector<unsigned char>{};
}

inline std::vector<unsigned char> Unpack(const std::vector<unsigned char>& packed,
                                         size_t capacity) {
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return {};
  std::vector<unsigned char> out(capacity);
  std::vector<unsigned char> input = packed;
  stream.next_in = input.data();
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  inflateEnd(&stream);
  return rc == Z_STREAM_END ? out : std::vector<unsigned char>{};
}

// The country of the longest network of `records` (7-byte packed records) holding `address`,
// among prefix lengths 4 to 32, by looking at every record.
inline uint16_t LinearCountryOf(const std::vector<unsigned char>& records, uint32_t address) {
  int best_length = -1;
  uint16_t best = kUnknownCountry;
  for (size_t at = 0; at + 7 <= records.size(); at += 7) {
    const unsigned char* r = records.data() + at;
    const uint32_t network =
        (uint32_t{r[0]} << 24) | (uint32_t{r[1]} << 16) | (uint32_t{r[2]} << 8) | r[3];
    const int length = static_cast<int8_t>(r[4]);
    if (length < 4 || length > 32 || length <= best_length) continue;
    const uint32_t mask = ~uint32_t{0} << (32 - length);
    if ((network & ~mask) != 0 || (address & mask) != network) continue;
    best_length = length;
    const char code[2] = {static_cast<char>(r[5]), static_cast<char>(r[6])};
    best = CountryIndexOfCode(CountryCodeValue(std::string_view(code, 2)));
  }
  return best;
}

// `count` distinct networks in which few top bits vary, so that they nest deeply and many
// addresses fall into several lengths.
inline std::vector<RawNetwork> RandomNestedNetworks(std::mt19937& random, size_t count) {
  static constexpr std::string_view kCodes[] = {"DE", "GB", "NL", "US", "FR", "PS", "SB", "ZZ"};
  std::vector<RawNetwork> networks;
  std::set<std::pair<uint32_t, int>> used;
  while (networks.size() < count) {
    const int length = 4 + static_cast<int>(random() % 29);
    const uint32_t network = (random() & 0xF0FF00FF) & (~uint32_t{0} << (32 - length));
    if (!used.insert({network, length}).second) continue;
    networks.push_back({network, length, kCodes[random() % std::size(kCodes)]});
  }
  return networks;
}

// `count` addresses, half of them inside a listed network so that long prefixes get hit too.
inline std::vector<uint32_t> ProbeAddresses(std::mt19937& random,
                                            const std::vector<RawNetwork>& networks, size_t count) {
  std::vector<uint32_t> probes;
  for (size_t i = 0; i < count; ++i) {
    uint32_t address = random();
    if (i % 2 == 0) address = networks[random() % networks.size()].network | (random() & 0xFF);
    probes.push_back(address);
  }
  return probes;
}

}  // namespace velmora::testing
