#include "parsing/records/time_zones.h"

#include <array>
#include <charconv>

#include "core/ascii.h"
#include "platform/clock.h"

namespace velmora {
namespace {

// In the order the settings number them; the index is stored in every workspace file.
constexpr std::array<TimeZone, kTimeZoneCount> kTimeZones = {{
    {-720, "(GMT-12:00) Eniwetok, Kwajalein"},
    {-660, "(GMT-11:00) Midway Island, Samoa"},
    {-600, "(GMT-10:00) Hawaii"},
    {-540, "(GMT-09:00) Alaska"},
    {-480, "(GMT-08:00) Pacific Time (US & Canada); Tijuana"},
    {-420, "(GMT-07:00) Mountain Time (US & Canada)"},
    {-420, "(GMT-07:00) Arizona"},
    {-360, "(GMT-06:00) Central Time (US & Canada)"},
    {-360, "(GMT-06:00) Saskatchewan"},
    {-360, "(GMT-06:00) Mexico City"},
    {-360, "(GMT-06:00) Central America"},
    {-300, "(GMT-05:00) Eastern Time (US & Canada)"},
    {-300, "(GMT-05:00) Indiana (East)"},
    {-300, "(GMT-05:00) Bogota, Lima, Quito"},
    {-240, "(GMT-04:00) Atlantic Time (Canada)"},
    {-240, "(GMT-04:00) Caracas, La Paz"},
    {-240, "(GMT-04:00) Santiago"},
    {-210, "(GMT-03:30) Newfoundland"},
    {-180, "(GMT-03:00) Brasilia"},
    {-180, "(GMT-03:00) Buenos Aires, Georgetown"},
    {-180, "(GMT-03:00) Greenland"},
    {-120, "(GMT-02:00) Mid-Atlantic"},
    {-60, "(GMT-01:00) Azores"},
    {-60, "(GMT-01:00) Cape Verde Is."},
    {0, "(GMT) Greenwich Mean Time : Dublin, Edinburgh, Lisbon, London"},
    {0, "(GMT) Casablanca, Monrovia"},
    {60, "(GMT+01:00) Belgrade, Bratislava, Budapest, Ljubljana, Prague"},
    {60, "(GMT+01:00) Sarajevo, Skopje, Sofija, Vilnius, Warsaw, Zagreb"},
    {60, "(GMT+01:00) Brussels, Copenhagen, Madrid, Paris"},
    {60, "(GMT+01:00) Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna"},
    {60, "(GMT+01:00) West Central Africa"},
    {120, "(GMT+02:00) Bucharest"},
    {120, "(GMT+02:00) Cairo"},
    {120, "(GMT+02:00) Helsinki, Riga, Tallinn"},
    {120, "(GMT+02:00) Athens, Istanbul, Minsk"},
    {120, "(GMT+02:00) Jerusalem"},
    {120, "(GMT+02:00) Harare, Pretoria"},
    {180, "(GMT+03:00) Moscow, St. Petersburg, Volgograd"},
    {180, "(GMT+03:00) Kuwait, Riyadh"},
    {180, "(GMT+03:00) Nairobi"},
    {180, "(GMT+03:00) Baghdad"},
    {210, "(GMT+03:30) Tehran"},
    {240, "(GMT+04:00) Abu Dhabi, Muscat"},
    {240, "(GMT+04:00) Baku, Tbilisi, Yerevan"},
    {270, "(GMT+04:30) Kabul"},
    {300, "(GMT+05:00) Ekaterinburg"},
    {300, "(GMT+05:00) Islamabad, Karachi, Tashkent"},
    {330, "(GMT+05:30) Calcutta, Chennai, Mumbai, New Delhi"},
    {345, "(GMT+05:45) Kathmandu"},
    {360, "(GMT+06:00) Astana, Dhaka"},
    {360, "(GMT+06:00) Sri Jayawardenepura"},
    {360, "(GMT+06:00) Almaty, Novosibirsk"},
    {390, "(GMT+06:30) Rangoon"},
    {420, "(GMT+07:00) Bangkok, Hanoi, Jakarta"},
    {420, "(GMT+07:00) Krasnoyarsk"},
    {480, "(GMT+08:00) Beijing, Chongqing, Hong Kong, Urumqi"},
    {480, "(GMT+08:00) Kuala Lumpur, Singapore"},
    {480, "(GMT+08:00) Taipei"},
    {480, "(GMT+08:00) Perth"},
    {480, "(GMT+08:00) Irkutsk, Ulaan Bataar"},
    {540, "(GMT+09:00) Seoul"},
    {540, "(GMT+09:00) Osaka, Sapporo, Tokyo"},
    {540, "(GMT+09:00) Yakutsk"},
    {570, "(GMT+09:30) Darwin"},
    {570, "(GMT+09:30) Adelaide"},
    {600, "(GMT+10:00) Canberra, Melbourne, Sydney"},
    {600, "(GMT+10:00) Brisbane"},
    {600, "(GMT+10:00) Hobart"},
    {600, "(GMT+10:00) Vladivostok"},
    {600, "(GMT+10:00) Guam, Port Moresby"},
    {660, "(GMT+11:00) Magadan, Solomon Is., New Caledonia"},
    {720, "(GMT+12:00) Fiji, Kamchatka, Marshall Is."},
    {720, "(GMT+12:00) Auckland, Wellington"},
    {780, "(GMT+13:00) Nuku'alofa"},
}};

std::optional<int> FirstZoneOf(int32_t offset_minutes) {
  for (size_t i = 0; i < kTimeZones.size(); ++i) {
    if (kTimeZones[i].offset_minutes == offset_minutes) return static_cast<int>(i);
  }
  return std::nullopt;
}

// "+5", "-05", "+0530", "+05:30" (the sign is required, so that a plain number stays an index).
std::optional<int32_t> ReadOffset(std::string_view text) {
  if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  const int32_t sign = text[0] == '-' ? -1 : 1;
  std::string digits;
  size_t colon = std::string_view::npos;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == ':' && colon == std::string_view::npos && i > 1) {
      colon = digits.size();
    } else if (text[i] >= '0' && text[i] <= '9') {
      digits += text[i];
    } else {
      return std::nullopt;
    }
  }
  int hours = 0;
  int minutes = 0;
  std::string_view h = digits;
  std::string_view m;
  if (colon != std::string_view::npos) {
    h = std::string_view(digits).substr(0, colon);
    m = std::string_view(digits).substr(colon);
    if (m.size() != 2) return std::nullopt;
  } else if (digits.size() == 4) {
    h = std::string_view(digits).substr(0, 2);
    m = std::string_view(digits).substr(2);
  }
  if (h.empty() || h.size() > 2) return std::nullopt;
  std::from_chars(h.data(), h.data() + h.size(), hours);
  if (!m.empty()) std::from_chars(m.data(), m.data() + m.size(), minutes);
  if (minutes > 59) return std::nullopt;
  return sign * (hours * 60 + minutes);
}

}  // namespace

std::optional<int> FindTimeZone(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  const std::string lowered = AsciiLowered(text);
  std::string_view rest = lowered;
  if (rest.starts_with("utc") || rest.starts_with("gmt")) {
    rest.remove_prefix(3);
    if (rest.empty()) return FirstZoneOf(0);
  }
  if (std::optional<int32_t> offset = ReadOffset(rest)) return FirstZoneOf(*offset);
  std::optional<int> found;
  for (size_t i = 0; i < kTimeZones.size(); ++i) {
    if (AsciiLowered(kTimeZones[i].name).find(lowered) == std::string::npos) continue;
    if (!found) {
      found = static_cast<int>(i);
    } else if (kTimeZones[*found].offset_minutes != kTimeZones[i].offset_minutes) {
      return std::nullopt;
    }
  }
  return found;
}

std::span<const TimeZone> TimeZones() { return kTimeZones; }

bool IsValidTimeZone(int64_t index) { return index >= 0 && index < kTimeZoneCount; }

int32_t ZoneOffsetMinutes(int64_t index) {
  return IsValidTimeZone(index) ? kTimeZones[static_cast<size_t>(index)].offset_minutes : 0;
}

std::string_view ZoneName(int64_t index) {
  return IsValidTimeZone(index) ? kTimeZones[static_cast<size_t>(index)].name : std::string_view();
}

int32_t TimeOffset(int64_t server_zone, int64_t your_zone) {
  return (ZoneOffsetMinutes(your_zone) - ZoneOffsetMinutes(server_zone)) * 60;
}

Ticks UtcToZone(Ticks utc, int64_t your_zone) {
  return ShiftTicks(utc, int64_t{ZoneOffsetMinutes(your_zone)} * 60);
}

Ticks LocalNow(int64_t your_zone) { return UtcToZone(UtcNowTicks(), your_zone); }

}  // namespace velmora
