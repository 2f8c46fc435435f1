// The country of an IPv6 client: its address read from the logged text (full, compressed, with a
// zone index or an IPv4 tail) and looked up in a table of ranges built once at start-up.
//
// The packed table (country_packed_table.h) is a gzip stream of 34-byte records, no header, in
// address order, the ranges never overlapping:
//
//   offset  width  field
//        0     16  first address of the range, most significant byte first
//       16     16  last address of the range
//       32      2  country code, two ASCII characters
//
// The IPv4 addresses (::/96 and ::ffff:0:0/96) are not in it: the IPv4 table answers them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace velmora {

using Ipv6Address = std::array<uint8_t, 16>;  // most significant byte first

inline constexpr size_t kIpv6RangeRecordSize = 34;

// The address `text` writes: eight groups of one to four hexadecimal digits apart at ":", one run
// of zero groups written "::", the last two groups possibly as a dotted IPv4 address, and a zone
// index ("%eth0") after it, which is dropped. Anything else, an empty text included, is none.
std::optional<Ipv6Address> ParseIpv6Address(std::string_view text);

class Ipv6CountryTable {
 public:
  Ipv6CountryTable() = default;
  // Unpacks `packed`; a damaged or truncated stream keeps the whole records before the damage,
  // and records out of order or with a range backwards are dropped.
  explicit Ipv6CountryTable(std::span<const unsigned char> packed);

  // The country index of the range holding `address`; kUnknownCountry when none does.
  uint16_t CountryOfAddress(const Ipv6Address& address) const;

  size_t range_count() const { return ranges_.size(); }

 private:
  struct Range {
    Ipv6Address first;
    Ipv6Address last;
    uint16_t country;
  };
  std::vector<Range> ranges_;
};

class CountryTable;

// The country of a client logged by a text that is an IPv6 address: by `ipv6`, or by `ipv4` for
// an IPv4-mapped one (::ffff:a.b.c.d); nothing when the text is no IPv6 address.
std::optional<uint16_t> CountryOfIpv6Client(std::string_view host, const CountryTable& ipv4,
                                            const Ipv6CountryTable& ipv6);

// The program's own IPv6 table, built from the embedded stream on first use (thread-safe).
const Ipv6CountryTable& SharedIpv6CountryTable();

}  // namespace velmora
