// Packed network records, as the stream unpacks them (7 bytes each, no header):
//
//   offset  width  field
//   0       4      network, most significant byte first; the bits beyond the prefix are 0
//   4       1      prefix length, signed
//   5       2      country code, two ASCII characters ("US", "GB")
//
// Prepared in place, a record keeps its 7-byte slot: the network becomes a native number and the
// code its country index. Keeping the slot size lets the unpacked bytes be converted without a
// second buffer, so the whole table lives in the one area.
#include "analysis/countries/country_table.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/countries/country_packed_table.h"

namespace velmora {
namespace {

struct [[gnu::packed]] PreparedRecord {
  uint32_t network;
  int8_t prefix_length;
  uint16_t country;
};
static_assert(sizeof(PreparedRecord) == kNetworkRecordSize);
static_assert(offsetof(PreparedRecord, prefix_length) == 4);
static_assert(offsetof(PreparedRecord, country) == 5);

constexpr uint32_t MaskOf(int prefix_length) {
  return prefix_length == 0 ? 0 : ~uint32_t{0} << (32 - prefix_length);
}

}  // namespace

// Unpacks as much of `packed` (a gzip stream) as decodes into `out`; returns the bytes produced.
// Stops quietly at the end of the stream, a damaged block, truncated input or a full area:
// whatever came out before stays usable.
size_t UnpackGzip(std::span<const unsigned char> packed, unsigned char* out, size_t capacity) {
  if (packed.empty() || capacity == 0) return 0;
  auto state = std::make_unique<inflate_state>();
  isal_inflate_init(state.get());
  state->crc_flag = ISAL_GZIP;
  // The decoder counts in 32 bits; anything longer than that cannot be a table that fits anyway.
  state->next_in = const_cast<unsigned char*>(packed.data());
  state->avail_in = static_cast<uint32_t>(std::min<size_t>(packed.size(), UINT32_MAX));
  state->next_out = out;
  state->avail_out = static_cast<uint32_t>(std::min<size_t>(capacity, UINT32_MAX));
  while (state->avail_out > 0 && state->block_state != ISAL_BLOCK_FINISH) {
    const uint32_t in_before = state->avail_in;
    const uint32_t out_before = state->avail_out;
    if (isal_inflate(state.get()) < 0) break;  // a damaged stream ends the table there
    if (state->avail_in == in_before && state->avail_out == out_before) break;  // input ran out
  }
  return std::min<size_t>(state->total_out, capacity);
}

CountryTable::CountryTable() { start_.fill(-1); }

Result<CountryTable> CountryTable::Create(std::span<const unsigned char> packed) {
  Result<AnonymousMemory> area = AnonymousMemory::Create(kCountryAreaSize);
  if (!area.ok()) return Error{area.error().code, kCannotInitializeApplication};
  CountryTable table;
  table.area_ = std::move(*area);
  table.Prepare(UnpackGzip(packed, table.area_.data(), table.area_.size()));
  // Sealing only guards against stray writes; a table that cannot be sealed still answers.
  (void)table.area_.Seal();
  return table;
}

void CountryTable::Prepare(size_t unpacked) {
  unpacked_bytes_ = unpacked;
  unsigned char* bytes = area_.data();
  const size_t count = unpacked / kNetworkRecordSize;  // a cut-off last record is dropped

  // Convert in place, closing up over dropped records: slot `kept` never lies past slot `i`, so
  // every record is read before its bytes can be overwritten. A table holds a few hundred
  // distinct codes over hundreds of thousands of records, so each code is looked up in the list
  // once and remembered by its two bytes.
  std::vector<int32_t> index_of_code(1 << 16, -1);
  size_t kept = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* in = bytes + i * kNetworkRecordSize;
    const uint32_t network = (uint32_t{in[0]} << 24) | (uint32_t{in[1]} << 16) |
                             (uint32_t{in[2]} << 8) | uint32_t{in[3]};
    const int prefix_length = static_cast<int8_t>(in[4]);
    if (prefix_length < 0 || prefix_length > 32 || (network & ~MaskOf(prefix_length)) != 0) {
      ++skipped_records_;
      continue;
    }
    int32_t& country = index_of_code[(in[5] << 8) | in[6]];
    if (country < 0) {
      const char code[2] = {static_cast<char>(in[5]), static_cast<char>(in[6])};
      country = CountryIndexOfCode(CountryCodeValue(std::string_view(code, 2)));
    }
    PreparedRecord out{network, static_cast<int8_t>(prefix_length), static_cast<uint16_t>(country)};
    std::memcpy(bytes + kept * kNetworkRecordSize, &out, kNetworkRecordSize);
    ++kept;
  }
  record_count_ = kept;

  auto* first = reinterpret_cast<PreparedRecord*>(bytes);
  const auto lookup_order = [](const PreparedRecord& a, const PreparedRecord& b) {
    if (a.prefix_length != b.prefix_length) return a.prefix_length < b.prefix_length;
    return a.network < b.network;
  };
  // The shipped table comes in lookup order; checking costs one pass, sorting several.
  if (!std::is_sorted(first, first + kept, lookup_order))
    std::sort(first, first + kept, lookup_order);

  start_.fill(-1);
  int next_unset = 0;
  for (size_t i = 0; i < kept && next_unset <= 32; ++i) {
    const int p = first[i].prefix_length;
    for (; next_unset <= p; ++next_unset) start_[next_unset] = static_cast<int32_t>(i);
  }

  // A record of length 16 or more lies in one /16; a shorter one covers 2^(16-p) of them. Repeats
  // (only a damaged stream has them; they lie together) are marked once, so the distinct
  // networks of one short length mark each /16 at most once: the work stays bounded.
  lengths_by_16_.assign(size_t{1} << 16, 0);
  for (size_t i = 0; i < kept; ++i) {
    const int p = first[i].prefix_length;
    if (p < kShortestSearchedPrefix) continue;
    if (i > 0 && first[i - 1].prefix_length == p && first[i - 1].network == first[i].network) {
      continue;
    }
    const uint32_t bit = uint32_t{1} << (p - 1);
    const uint32_t block = first[i].network >> 16;
    const uint32_t blocks = p >= 16 ? 1 : uint32_t{1} << (16 - p);
    for (uint32_t b = block; b < block + blocks; ++b) lengths_by_16_[b] |= bit;
  }
}

CountryNetwork CountryTable::record(size_t i) const {
  if (i >= record_count_) return {};
  const auto* r = reinterpret_cast<const PreparedRecord*>(records()) + i;
  return {r->network, r->prefix_length, r->country};
}

uint16_t CountryTable::CountryOfAddress(uint32_t address) const {
  const auto* all = reinterpret_cast<const PreparedRecord*>(records());
  const uint32_t lengths = lengths_by_16_.empty() ? ~uint32_t{0} : lengths_by_16_[address >> 16];
  for (int p = 32; p >= kShortestSearchedPrefix; --p) {
    if (((lengths >> (p - 1)) & 1) == 0) continue;
    const int32_t begin = start_[p];
    if (begin < 0) continue;
    const int32_t next = start_[p + 1];
    const int32_t end = next < 0 ? static_cast<int32_t>(record_count_) : next;
    const uint32_t key = address & MaskOf(p);
    const PreparedRecord* hit =
        std::lower_bound(all + begin, all + end, key,
                         [](const PreparedRecord& r, uint32_t value) { return r.network < value; });
    if (hit != all + end && hit->network == key) return hit->country;
  }
  return kUnknownCountry;
}

const Result<CountryTable>& LoadSharedCountryTable() {
  static const Result<CountryTable> table = CountryTable::Create(PackedCountryTable());
  return table;
}

const CountryTable& SharedCountryTable() {
  static const CountryTable empty;
  const Result<CountryTable>& table = LoadSharedCountryTable();
  return table.ok() ? *table : empty;
}

}  // namespace velmora
