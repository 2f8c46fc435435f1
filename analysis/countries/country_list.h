// The country list: every country, region and generic top-level domain a visit can be counted
// under, addressed by index.
//
// The index is what visits store, so the order is stored data and never changes: 0 is Unknown,
// 1 and 2 the regions AP and EU, 3 to 245 the two-letter countries in alphabetical order of code,
// 246 to 254 the generic domains COM to NATO, and from 255 on the codes added later (AX, BL, BQ,
// CD, CW, GG, IM, JE, ME, MF, PS, RS, SS, SX, TL), each kept at its index forever once released.
// New codes are only ever appended. Everything that sizes by country follows CountryCount().
//
// Codes are compared as 32-bit values: the code's first four bytes, zero-padded, the first byte
// in the low bits. Comparison is exact; host-name lookup upper-cases its label first.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora {

inline constexpr uint16_t kUnknownCountry = 0;

// Number of entries, Unknown included.
uint16_t CountryCount();

// The entry's name ("Unknown", "Germany", "US Commercial"); "Unknown" for an index past the list,
// so that a damaged stored index still prints.
std::string_view CountryName(uint32_t index);

// The entry's code ("@", "DE", "COM"); "@" for an index past the list.
std::string_view CountryCode(uint32_t index);

// The first four bytes of `code`, zero-padded, as one value (first byte lowest).
uint32_t CountryCodeValue(std::string_view code);

// The first index whose code value equals `code`; kUnknownCountry when none. The code "@" of
// Unknown is never matched.
uint16_t CountryIndexOfCode(uint32_t code);

// The country of a client logged by name, from the label after its last '.': at most four
// characters of it, upper-cased. kUnknownCountry when the name has no dot or the label matches
// no code. So "www.example.de" gives DE, "host.co.uk" UK (not GB), "x.arpa" ARPA, "x.info"
// nothing, and "x.arpanet" ARPA, the label being matched on its first four characters.
uint16_t CountryOfHostName(std::string_view host);

}  // namespace velmora
