#include "analysis/countries/country_list.h"

#include <array>
#include <cstddef>

#include "core/ascii.h"

namespace velmora {
namespace {

struct CountryEntry {
  std::string_view code;
  std::string_view name;
};

// Index order is stored data: append only, never reorder or reuse.
constexpr CountryEntry kCountries[] = {
    {"@", "Unknown"},                            // 0
    {"AP", "Asia/Pacific Region"},               // 1
    {"EU", "Europe"},                            // 2
    {"AD", "Andorra"},                           // 3
    {"AE", "United Arab Emirates"},              // 4
    {"AF", "Afghanistan"},                       // 5
    {"AG", "Antigua and Barbuda"},               // 6
    {"AI", "Anguilla"},                          // 7
    {"AL", "Albania"},                           // 8
    {"AM", "Armenia"},                           // 9
    {"AN", "Netherlands Antilles"},              // 10
    {"AO", "Angola"},                            // 11
    {"AQ", "Antarctica"},                        // 12
    {"AR", "Argentina"},                         // 13
    {"AS", "American Samoa"},                    // 14
    {"AT", "Austria"},                           // 15
    {"AU", "Australia"},                         // 16
    {"AW", "Aruba"},                             // 17
    {"AZ", "Azerbaijan"},                        // 18
    {"BA", "Bosnia and Herzegovina"},            // 19
    {"BB", "Barbados"},                          // 20
    {"BD", "Bangladesh"},                        // 21
    {"BE", "Belgium"},                           // 22
    {"BF", "Burkina Faso"},                      // 23
    {"BG", "Bulgaria"},                          // 24
    {"BH", "Bahrain"},                           // 25
    {"BI", "Burundi"},                           // 26
    {"BJ", "Benin"},                             // 27
    {"BM", "Bermuda"},                           // 28
    {"BN", "Brunei Darussalam"},                 // 29
    {"BO", "Bolivia"},                           // 30
    {"BR", "Brazil"},                            // 31
    {"BS", "Bahamas"},                           // 32
    {"BT", "Bhutan"},                            // 33
    {"BV", "Bouvet Island"},                     // 34
    {"BW", "Botswana"},                          // 35
    {"BY", "Belarus"},                           // 36
    {"BZ", "Belize"},                            // 37
    {"CA", "Canada"},                            // 38
    {"CC", "Cocos (Keeling) Islands"},           // 39
    {"CF", "Central African Republic"},          // 40
    {"CG", "Congo"},                             // 41
    {"CH", "Switzerland"},                       // 42
    {"CI", "Cote D'Ivoire (Ivory Coast)"},       // 43
    {"CK", "Cook Islands"},                      // 44
    {"CL", "Chile"},                             // 45
    {"CM", "Cameroon"},                          // 46
    {"CN", "China"},                             // 47
    {"CO", "Colombia"},                          // 48
    {"CR", "Costa Rica"},                        // 49
    {"CS", "Czechoslovakia (former)"},           // 50
    {"CU", "Cuba"},                              // 51
    {"CV", "Cape Verde"},                        // 52
    {"CX", "Christmas Island"},                  // 53
    {"CY", "Cyprus"},                            // 54
    {"CZ", "Czech Republic"},                    // 55
    {"DE", "Germany"},                           // 56
    {"DJ", "Djibouti"},                          // 57
    {"DK", "Denmark"},                           // 58
    {"DM", "Dominica"},                          // 59
    {"DO", "Dominican Republic"},                // 60
    {"DZ", "Algeria"},                           // 61
    {"EC", "Ecuador"},                           // 62
    {"EE", "Estonia"},                           // 63
    {"EG", "Egypt"},                             // 64
    {"EH", "Western Sahara"},                    // 65
    {"ER", "Eritrea"},                           // 66
    {"ES", "Spain"},                             // 67
    {"ET", "Ethiopia"},                          // 68
    {"FI", "Finland"},                           // 69
    {"FJ", "Fiji"},                              // 70
    {"FK", "Falkland Islands (Malvinas)"},       // 71
    {"FM", "Micronesia"},                        // 72
    {"FO", "Faroe Islands"},                     // 73
    {"FR", "France"},                            // 74
    {"FX", "France, Metropolitan"},              // 75
    {"GA", "Gabon"},                             // 76
    {"GB", "Great Britain (UK)"},                // 77
    {"GD", "Grenada"},                           // 78
    {"GE", "Georgia"},                           // 79
    {"GF", "French Guiana"},                     // 80
    {"GH", "Ghana"},                             // 81
    {"GI", "Gibraltar"},                         // 82
    {"GL", "Greenland"},                         // 83
    {"GM", "Gambia"},                            // 84
    {"GN", "Guinea"},                            // 85
    {"GP", "Guadeloupe"},                        // 86
    {"GQ", "Equatorial Guinea"},                 // 87
    {"GR", "Greece"},                            // 88
    {"GS", "S. Georgia and S. Sandwich Isls."},  // 89
    {"GT", "Guatemala"},                         // 90
    {"GU", "Guam"},                              // 91
    {"GW", "Guinea-Bissau"},                     // 92
    {"GY", "Guyana"},                            // 93
    {"HK", "Hong Kong"},                         // 94
    {"HM", "Heard and McDonald Islands"},        // 95
    {"HN", "Honduras"},                          // 96
    {"HR", "Croatia (Hrvatska)"},                // 97
    {"HT", "Haiti"},                             // 98
    {"HU", "Hungary"},                           // 99
    {"ID", "Indonesia"},                         // 100
    {"IE", "Ireland"},                           // 101
    {"IL", "Israel"},                            // 102
    {"IN", "India"},                             // 103
    {"IO", "British Indian Ocean Territory"},    // 104
    {"IQ", "Iraq"},                              // 105
    {"IR", "Iran"},                              // 106
    {"IS", "Iceland"},                           // 107
    {"IT", "Italy"},                             // 108
    {"JM", "Jamaica"},                           // 109
    {"JO", "Jordan"},                            // 110
    {"JP", "Japan"},                             // 111
    {"KE", "Kenya"},                             // 112
    {"KG", "Kyrgyzstan"},                        // 113
    {"KH", "Cambodia"},                          // 114
    {"KI", "Kiribati"},                          // 115
    {"KM", "Comoros"},                           // 116
    {"KN", "Saint Kitts and Nevis"},             // 117
    {"KP", "Korea (North)"},                     // 118
    {"KR", "Korea (South)"},                     // 119
    {"KW", "Kuwait"},                            // 120
    {"KY", "Cayman Islands"},                    // 121
    {"KZ", "Kazakhstan"},                        // 122
    {"LA", "Laos"},                              // 123
    {"LB", "Lebanon"},                           // 124
    {"LC", "Saint Lucia"},                       // 125
    {"LI", "Liechtenstein"},                     // 126
    {"LK", "Sri Lanka"},                         // 127
    {"LR", "Liberia"},                           // 128
    {"LS", "Lesotho"},                           // 129
    {"LT", "Lithuania"},                         // 130
    {"LU", "Luxembourg"},                        // 131
    {"LV", "Latvia"},                            // 132
    {"LY", "Libya"},                             // 133
    {"MA", "Morocco"},                           // 134
    {"MC", "Monaco"},                            // 135
    {"MD", "Moldova"},                           // 136
    {"MG", "Madagascar"},                        // 137
    {"MH", "Marshall Islands"},                  // 138
    {"MK", "Macedonia"},                         // 139
    {"ML", "Mali"},                              // 140
    {"MM", "Myanmar"},                           // 141
    {"MN", "Mongolia"},                          // 142
    {"MO", "Macau"},                             // 143
    {"MP", "Northern Mariana Islands"},          // 144
    {"MQ", "Martinique"},                        // 145
    {"MR", "Mauritania"},                        // 146
    {"MS", "Montserrat"},                        // 147
    {"MT", "Malta"},                             // 148
    {"MU", "Mauritius"},                         // 149
    {"MV", "Maldives"},                          // 150
    {"MW", "Malawi"},                            // 151
    {"MX", "Mexico"},                            // 152
    {"MY", "Malaysia"},                          // 153
    {"MZ", "Mozambique"},                        // 154
    {"NA", "Namibia"},                           // 155
    {"NC", "New Caledonia"},                     // 156
    {"NE", "Niger"},                             // 157
    {"NF", "Norfolk Island"},                    // 158
    {"NG", "Nigeria"},                           // 159
    {"NI", "Nicaragua"},                         // 160
    {"NL", "Netherlands"},                       // 161
    {"NO", "Norway"},                            // 162
    {"NP", "Nepal"},                             // 163
    {"NR", "Nauru"},                             // 164
    {"NT", "Neutral Zone"},                      // 165
    {"NU", "Niue"},                              // 166
    {"NZ", "New Zealand (Aotearoa)"},            // 167
    {"OM", "Oman"},                              // 168
    {"PA", "Panama"},                            // 169
    {"PE", "Peru"},                              // 170
    {"PF", "French Polynesia"},                  // 171
    {"PG", "Papua New Guinea"},                  // 172
    {"PH", "Philippines"},                       // 173
    {"PK", "Pakistan"},                          // 174
    {"PL", "Poland"},                            // 175
    {"PM", "St. Pierre and Miquelon"},           // 176
    {"PN", "Pitcairn"},                          // 177
    {"PR", "Puerto Rico"},                       // 178
    {"PT", "Portugal"},                          // 179
    {"PW", "Palau"},                             // 180
    {"PY", "Paraguay"},                          // 181
    {"QA", "Qatar"},                             // 182
    {"RE", "Reunion"},                           // 183
    {"RO", "Romania"},                           // 184
    {"RU", "Russian Federation"},                // 185
    {"RW", "Rwanda"},                            // 186
    {"SA", "Saudi Arabia"},                      // 187
    {"SB", "Solomon Islands"},                   // 188
    {"SC", "Seychelles"},                        // 189
    {"SD", "Sudan"},                             // 190
    {"SE", "Sweden"},                            // 191
    {"SG", "Singapore"},                         // 192
    {"SH", "St. Helena"},                        // 193
    {"SI", "Slovenia"},                          // 194
    {"SJ", "Svalbard and Jan Mayen Islands"},    // 195
    {"SK", "Slovak Republic"},                   // 196
    {"SL", "Sierra Leone"},                      // 197
    {"SM", "San Marino"},                        // 198
    {"SN", "Senegal"},                           // 199
    {"SO", "Somalia"},                           // 200
    {"SR", "Suriname"},                          // 201
    {"ST", "Sao Tome and Principe"},             // 202
    {"SU", "USSR (former)"},                     // 203
    {"SV", "El Salvador"},                       // 204
    {"SY", "Syria"},                             // 205
    {"SZ", "Swaziland"},                         // 206
    {"TC", "Turks and Caicos Islands"},          // 207
    {"TD", "Chad"},                              // 208
    {"TF", "French Southern Territories"},       // 209
    {"TG", "Togo"},                              // 210
    {"TH", "Thailand"},                          // 211
    {"TJ", "Tajikistan"},                        // 212
    {"TK", "Tokelau"},                           // 213
    {"TM", "Turkmenistan"},                      // 214
    {"TN", "Tunisia"},                           // 215
    {"TO", "Tonga"},                             // 216
    {"TP", "East Timor"},                        // 217
    {"TR", "Turkey"},                            // 218
    {"TT", "Trinidad and Tobago"},               // 219
    {"TV", "Tuvalu"},                            // 220
    {"TW", "Taiwan"},                            // 221
    {"TZ", "Tanzania"},                          // 222
    {"UA", "Ukraine"},                           // 223
    {"UG", "Uganda"},                            // 224
    {"UK", "United Kingdom"},                    // 225
    {"UM", "US Minor Outlying Islands"},         // 226
    {"US", "United States"},                     // 227
    {"UY", "Uruguay"},                           // 228
    {"UZ", "Uzbekistan"},                        // 229
    {"VA", "Vatican City State (Holy See)"},     // 230
    {"VC", "Saint Vincent and the Grenadines"},  // 231
    {"VE", "Venezuela"},                         // 232
    {"VG", "Virgin Islands (British)"},          // 233
    {"VI", "Virgin Islands (U.S.)"},             // 234
    {"VN", "Viet Nam"},                          // 235
    {"VU", "Vanuatu"},                           // 236
    {"WF", "Wallis and Futuna Islands"},         // 237
    {"WS", "Samoa"},                             // 238
    {"YE", "Yemen"},                             // 239
    {"YT", "Mayotte"},                           // 240
    {"YU", "Yugoslavia"},                        // 241
    {"ZA", "South Africa"},                      // 242
    {"ZM", "Zambia"},                            // 243
    {"ZR", "Zaire"},                             // 244
    {"ZW", "Zimbabwe"},                          // 245
    {"COM", "US Commercial"},                    // 246
    {"EDU", "US Educational"},                   // 247
    {"GOV", "US Government"},                    // 248
    {"INT", "International"},                    // 249
    {"MIL", "US Military"},                      // 250
    {"NET", "Network"},                          // 251
    {"ORG", "Non-Profit Organization"},          // 252
    {"ARPA", "Old style Arpanet"},               // 253
    {"NATO", "Nato field"},                      // 254
    {"AX", "Aland Islands"},                     // 255
    {"BL", "Saint Barthelemy"},                  // 256
    {"BQ", "Bonaire, Sint Eustatius and Saba"},  // 257
    {"CD", "Congo (Democratic Republic)"},       // 258
    {"CW", "Curacao"},                           // 259
    {"GG", "Guernsey"},                          // 260
    {"IM", "Isle of Man"},                       // 261
    {"JE", "Jersey"},                            // 262
    {"ME", "Montenegro"},                        // 263
    {"MF", "Saint Martin (French part)"},        // 264
    {"PS", "Palestine"},                         // 265
    {"RS", "Serbia"},                            // 266
    {"SS", "South Sudan"},                       // 267
    {"SX", "Sint Maarten (Dutch part)"},         // 268
    {"TL", "Timor-Leste"},                       // 269
};

constexpr size_t kCountryTotal = std::size(kCountries);
static_assert(kCountryTotal == 270, "codes are appended, never removed");
static_assert(kCountries[225].code == "UK" && kCountries[77].code == "GB");
static_assert(kCountries[245].code == "ZW" && kCountries[246].code == "COM");
static_assert(kCountries[254].code == "NATO" && kCountries[255].code == "AX");
static_assert(kCountries[kCountryTotal - 1].code == "TL");

constexpr uint32_t CodeValue(std::string_view code) {
  uint32_t value = 0;
  for (size_t i = 0; i < code.size() && i < 4; ++i) {
    value |= uint32_t{static_cast<unsigned char>(code[i])} << (8 * i);
  }
  return value;
}

// The code values, computed once at compile time, so lookups compare integers.
constexpr std::array<uint32_t, kCountryTotal> kCodeValues = [] {
  std::array<uint32_t, kCountryTotal> values{};
  for (size_t i = 0; i < kCountryTotal; ++i) values[i] = CodeValue(kCountries[i].code);
  return values;
}();

}  // namespace

uint16_t CountryCount() { return static_cast<uint16_t>(kCountryTotal); }

std::string_view CountryName(uint32_t index) {
  return kCountries[index < kCountryTotal ? index : kUnknownCountry].name;
}

std::string_view CountryCode(uint32_t index) {
  return kCountries[index < kCountryTotal ? index : kUnknownCountry].code;
}

uint32_t CountryCodeValue(std::string_view code) { return CodeValue(code); }

uint16_t CountryIndexOfCode(uint32_t code) {
  // Entry 0 is skipped: its code stands for "no code" and must never be found.
  for (size_t i = 1; i < kCountryTotal; ++i) {
    if (kCodeValues[i] == code) return static_cast<uint16_t>(i);
  }
  return kUnknownCountry;
}

uint16_t CountryOfHostName(std::string_view host) {
  const size_t dot = host.rfind('.');
  if (dot == std::string_view::npos) return kUnknownCountry;
  char label[4] = {};
  const std::string_view after = host.substr(dot + 1);
  for (size_t i = 0; i < after.size() && i < 4; ++i) label[i] = AsciiUpper(after[i]);
  return CountryIndexOfCode(CodeValue(std::string_view(label, 4)));
}

}  // namespace velmora
