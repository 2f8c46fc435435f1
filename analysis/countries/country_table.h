// CountryTable: the country of a client, by the longest listed network holding its IPv4 address
// or by the last label of its host name.
//
// The table is built once at start-up from a packed list of networks (country_packed_table.h):
// unpacked into a 4 MiB anonymous memory area, each record turned in place into a native network,
// prefix length and country index, the records sorted by prefix length and then network, and the
// area sealed read-only. From then on it never changes, so any number of threads look up without
// a lock (the parse worker opens visits while a front end reads names).
//
// Invariants after construction: records of one prefix length lie together, ordered by network
// (unsigned); start(p) is the first record whose prefix length is at least p, -1 when none; every
// record's prefix length is 0 to 32 and its network has no bits beyond it. A damaged or truncated
// stream leaves the records that did unpack; the rest of the address space answers Unknown.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "analysis/countries/country_list.h"
#include "core/result.h"
#include "platform/anonymous_memory.h"

namespace velmora {

inline constexpr size_t kCountryAreaSize = 0x400000;  // the most the packed table may unpack to
inline constexpr size_t kNetworkRecordSize = 7;
inline constexpr int kCountryStartEntries = 34;    // prefix lengths 0 to 33
inline constexpr int kShortestSearchedPrefix = 4;  // shorter networks are never matched
inline constexpr char kCannotInitializeApplication[] = "Cannot initialize application";

// One prepared record, for inspection and tests.
struct CountryNetwork {
  uint32_t network = 0;   // first octet in the top byte
  int prefix_length = 0;  // 0 to 32
  uint16_t country = 0;   // index into the country list
};

class CountryTable {
 public:
  // An empty table: every address is Unknown.
  CountryTable();

  // Unpacks and prepares `packed`, a gzip stream of network records. The only failure is the
  // memory area that cannot be created: the error's message is "Cannot initialize application"
  // (its code the system's errno), which the front end shows before it ends the program. A
  // missing, damaged or truncated stream is no failure: the table holds what could be unpacked.
  static Result<CountryTable> Create(std::span<const unsigned char> packed);

  // The country index of the longest network holding `address` (first octet in the top byte),
  // searching prefix lengths 32 down to 4; kUnknownCountry when none holds it.
  uint16_t CountryOfAddress(uint32_t address) const;

  // The country of a host name by its last label (see country_list.h).
  uint16_t CountryOfHostName(std::string_view host) const {
    return velmora::CountryOfHostName(host);
  }

  // What a visit stores when it opens: by host-name text for a client logged by name, by
  // number otherwise.
  uint16_t CountryOfClient(bool named, uint32_t address, std::string_view host) const {
    return named ? CountryOfHostName(host) : CountryOfAddress(address);
  }

  // Prepared records in lookup order, and the start table over them.
  size_t record_count() const { return record_count_; }
  CountryNetwork record(size_t i) const;
  int32_t start(int prefix_length) const { return start_[prefix_length]; }
  // Bytes the stream unpacked to, and records dropped for a prefix length outside 0..32 or a
  // network with bits set beyond its prefix (both only happen in a damaged stream).
  size_t unpacked_bytes() const { return unpacked_bytes_; }
  size_t skipped_records() const { return skipped_records_; }

 private:
  const unsigned char* records() const { return area_.data(); }
  void Prepare(size_t unpacked);

  AnonymousMemory area_;
  size_t record_count_ = 0;
  size_t unpacked_bytes_ = 0;
  size_t skipped_records_ = 0;
  std::array<int32_t, kCountryStartEntries> start_;
  // Per /16 network, bit p-1 set when some record of prefix length p may hold an address in it:
  // a lookup searches those lengths only, mostly one or two instead of all 29. Empty: search all.
  std::vector<uint32_t> lengths_by_16_;
};

// Unpacks as much of `packed` (a gzip stream) as decodes into the `capacity` bytes at `out` and
// returns the bytes produced; a damaged or truncated stream gives what came out before the damage.
size_t UnpackGzip(std::span<const unsigned char> packed, unsigned char* out, size_t capacity);

// The program's own table, built from the embedded stream on first use and kept until exit
// (thread-safe). The front end calls it first and ends the program with the error's message
// when it failed.
const Result<CountryTable>& LoadSharedCountryTable();

// The program's own table; an empty one when it could not be built.
const CountryTable& SharedCountryTable();

}  // namespace velmora
