#include "bench/loggen/user_agents.h"

#include <array>
#include <string>

namespace velmora::loggen {
namespace {

// Families in rough proportion to a general-audience site of today, with a tail of the browsers
// that old logs and old analysers know.
enum class Family : uint8_t {
  kChromeWindows,
  kChromeMac,
  kChromeLinux,
  kChromeAndroid,
  kEdge,
  kOpera,
  kSamsung,
  kFirefoxDesktop,
  kFirefoxAndroid,
  kSafariMac,
  kSafariIos,
  kMsie,
  kNetscape4,
  kNetscape7,
  kOpera6,
  kKonqueror,
};

struct FamilyWeight {
  Family family;
  uint16_t weight;
};

constexpr std::array<FamilyWeight, 16> kFamilies = {{
    {Family::kChromeWindows, 300},
    {Family::kChromeMac, 60},
    {Family::kChromeLinux, 20},
    {Family::kChromeAndroid, 140},
    {Family::kEdge, 80},
    {Family::kOpera, 20},
    {Family::kSamsung, 40},
    {Family::kFirefoxDesktop, 65},
    {Family::kFirefoxAndroid, 10},
    {Family::kSafariMac, 50},
    {Family::kSafariIos, 140},
    {Family::kMsie, 40},
    {Family::kNetscape4, 12},
    {Family::kNetscape7, 6},
    {Family::kOpera6, 8},
    {Family::kKonqueror, 6},
}};

template <size_t N>
std::string_view Any(Random& rng, const std::array<std::string_view, N>& items) {
  return items[rng.Below(N)];
}

void AppendNumber(std::string& out, uint32_t n) { out += std::to_string(n); }

constexpr std::array<std::string_view, 6> kWindowsPlatforms = {
    "Windows NT 10.0; Win64; x64", "Windows NT 10.0; Win64; x64", "Windows NT 10.0; Win64; x64",
    "Windows NT 10.0; WOW64",      "Windows NT 6.1; Win64; x64",  "Windows NT 6.3; Win64; x64"};
constexpr std::array<std::string_view, 4> kMacPlatforms = {
    "Macintosh; Intel Mac OS X 10_15_7", "Macintosh; Intel Mac OS X 10_15_7",
    "Macintosh; Intel Mac OS X 10_15_6", "Macintosh; Intel Mac OS X 14_2_1"};
constexpr std::array<std::string_view, 3> kLinuxPlatforms = {
    "X11; Linux x86_64", "X11; Linux x86_64", "X11; CrOS x86_64 15633.69.0"};
constexpr std::array<std::string_view, 16> kAndroidDevices = {
    "K",        "K",          "K",         "SM-S918B",      "SM-A536B", "SM-G991B",
    "Pixel 7",  "Pixel 8",    "Pixel 6a",  "Redmi Note 12", "M2101K6G", "CPH2411",
    "SM-A145R", "moto g(30)", "22101316G", "Nokia G21"};
constexpr std::array<std::string_view, 5> kLanguages = {"en", "de", "fr", "ja", "en-GB"};

// Chrome's major versions map to fixed build numbers; the patch level varies.
void AppendChromeVersion(Random& rng, std::string& out, uint32_t major) {
  AppendNumber(out, major);
  out += ".0.";
  AppendNumber(out, 4896 + (major - 100) * 61);
  out += '.';
  AppendNumber(out, rng.Between(0, 220));
}

uint32_t RecentMajor(Random& rng, uint32_t newest, uint32_t span) {
  return newest - rng.Skewed(span, 2.0);  // recent versions dominate, as auto-update makes them
}

void AppendChromeFamily(Random& rng, std::string& out, std::string_view platform, bool mobile) {
  const uint32_t major = RecentMajor(rng, 131, 32);
  out += "Mozilla/5.0 (";
  out += platform;
  out += ") AppleWebKit/537.36 (KHTML, like Gecko) Chrome/";
  AppendChromeVersion(rng, out, major);
  out += mobile ? " Mobile Safari/537.36" : " Safari/537.36";
}

std::string AndroidPlatform(Random& rng, bool samsung) {
  std::string p = "Linux; Android ";
  AppendNumber(p, rng.Between(10, 14));
  p += samsung ? "; SAMSUNG " : "; ";
  p += Any(rng, kAndroidDevices);
  return p;
}

std::string MakeOldAgent(Random& rng, Family family) {
  std::string out;
  switch (family) {
    case Family::kMsie: {
      static constexpr std::array<std::string_view, 4> kVersions = {"5.0", "5.01", "5.5", "6.0"};
      static constexpr std::array<std::string_view, 6> kSystems = {
          "Windows 98",     "Windows 98; Win 9x 4.90", "Windows NT 4.0",
          "Windows NT 5.0", "Windows NT 5.1",          "Windows NT 5.1"};
      static constexpr std::array<std::string_view, 8> kExtras = {
          "",          "; SV1", "; .NET CLR 1.0.3705", "; .NET CLR 1.1.4322",
          "; Q312461", "",      "; YComp 5.0.0.0",     "; .NET CLR 1.1.4322; .NET CLR 2.0.50727"};
      out = "Mozilla/4.0 (compatible; MSIE ";
      out += Any(rng, kVersions);
      if (rng.Chance(0.08)) {
        out += "; AOL ";
        AppendNumber(out, rng.Between(5, 9));
        out += ".0";
      }
      out += "; ";
      out += Any(rng, kSystems);
      out += Any(rng, kExtras);
      out += ')';
      return out;
    }
    case Family::kNetscape4: {
      static constexpr std::array<std::string_view, 6> kVersions = {"4.7",  "4.75", "4.76",
                                                                    "4.78", "4.79", "4.8"};
      static constexpr std::array<std::string_view, 6> kSystems = {"Win98; U",
                                                                   "WinNT; I",
                                                                   "Win95; U",
                                                                   "WinNT; U",
                                                                   "X11; U; Linux 2.4.18 i686",
                                                                   "X11; U; SunOS 5.8 sun4u"};
      out = "Mozilla/";
      out += Any(rng, kVersions);
      out += " [";
      out += Any(rng, kLanguages);
      out += "] (";
      out += Any(rng, kSystems);
      out += ')';
      return out;
    }
    case Family::kNetscape7: {
      static constexpr std::array<std::string_view, 4> kBuilds = {
          "rv:1.0.1) Gecko/20020823 Netscape/7.0", "rv:1.0.2) Gecko/20030208 Netscape/7.02",
          "rv:1.4) Gecko/20030624 Netscape/7.1", "rv:1.4) Gecko/20030624"};
      out = "Mozilla/5.0 (Windows; U; Windows NT ";
      out += rng.Chance(0.6) ? "5.1" : "5.0";
      out += "; en-US; ";
      out += Any(rng, kBuilds);
      return out;
    }
    case Family::kOpera6: {
      static constexpr std::array<std::string_view, 4> kSystems = {
          "Windows 98", "Windows 2000", "Windows XP", "Linux 2.4.18 i686"};
      const uint32_t minor = rng.Between(0, 5);
      if (rng.Chance(0.5)) {
        out = "Opera/6.0";
        AppendNumber(out, minor);
        out += " (";
        out += Any(rng, kSystems);
        out += "; U)  [";
      } else {
        out = "Mozilla/4.0 (compatible; MSIE 5.0; ";
        out += Any(rng, kSystems);
        out += ") Opera 6.0";
        AppendNumber(out, minor);
        out += "  [";
      }
      out += Any(rng, kLanguages);
      out += ']';
      return out;
    }
    default: {  // Konqueror
      static constexpr std::array<std::string_view, 4> kVersions = {"2.2.2", "3.0", "3.1", "3.2"};
      out = "Mozilla/5.0 (compatible; Konqueror/";
      out += Any(rng, kVersions);
      out += rng.Chance(0.5) ? "; Linux)" : "; Linux 2.4.20; X11; i686)";
      return out;
    }
  }
}

}  // namespace

std::string MakeBrowserAgent(Random& rng) {
  const Family family =
      kFamilies[PickWeighted(rng, kFamilies, [](const FamilyWeight& f) { return f.weight; })]
          .family;
  std::string out;
  switch (family) {
    case Family::kChromeWindows:
      AppendChromeFamily(rng, out, Any(rng, kWindowsPlatforms), false);
      return out;
    case Family::kChromeMac:
      AppendChromeFamily(rng, out, Any(rng, kMacPlatforms), false);
      return out;
    case Family::kChromeLinux:
      AppendChromeFamily(rng, out, Any(rng, kLinuxPlatforms), false);
      return out;
    case Family::kChromeAndroid:
      AppendChromeFamily(rng, out, AndroidPlatform(rng, false), true);
      return out;
    case Family::kEdge:
    case Family::kOpera: {
      const bool edge = family == Family::kEdge;
      AppendChromeFamily(rng, out,
                         edge ? Any(rng, kWindowsPlatforms) : "Windows NT 10.0; Win64; x64", false);
      if (edge) {
        out += " Edg/";
        AppendChromeVersion(rng, out, RecentMajor(rng, 131, 20));
      } else {
        out += " OPR/";
        AppendNumber(out, RecentMajor(rng, 115, 20));
        out += ".0.";
        AppendNumber(out, rng.Between(4000, 5400));
        out += '.';
        AppendNumber(out, rng.Between(10, 120));
      }
      return out;
    }
    case Family::kSamsung:
      out = "Mozilla/5.0 (";
      out += AndroidPlatform(rng, true);
      out += ") AppleWebKit/537.36 (KHTML, like Gecko) SamsungBrowser/";
      AppendNumber(out, rng.Between(19, 26));
      out += ".0 Chrome/";
      AppendNumber(out, RecentMajor(rng, 125, 20));
      out += ".0.0.0 Mobile Safari/537.36";
      return out;
    case Family::kFirefoxDesktop:
    case Family::kFirefoxAndroid: {
      static constexpr std::array<std::string_view, 7> kSystems = {
          "Windows NT 10.0; Win64; x64", "Windows NT 10.0; Win64; x64",
          "Windows NT 6.1; Win64; x64",  "Macintosh; Intel Mac OS X 10.15",
          "X11; Linux x86_64",           "X11; Ubuntu; Linux x86_64",
          "X11; Fedora; Linux x86_64"};
      const uint32_t version = RecentMajor(rng, 133, 35);
      out = "Mozilla/5.0 (";
      if (family == Family::kFirefoxAndroid) {
        out += "Android ";
        AppendNumber(out, rng.Between(10, 14));
        out += "; Mobile; rv:";
        AppendNumber(out, version);
        out += ".0) Gecko/";
        AppendNumber(out, version);
      } else {
        out += Any(rng, kSystems);
        out += "; rv:";
        AppendNumber(out, version);
        out += ".0) Gecko/20100101";
      }
      out += " Firefox/";
      AppendNumber(out, version);
      out += ".0";
      return out;
    }
    case Family::kSafariMac:
    case Family::kSafariIos: {
      const uint32_t major = 18 - rng.Skewed(4, 1.6);
      const uint32_t minor = rng.Between(0, 6);
      const uint32_t patch = rng.Between(0, 3);
      std::string version = std::to_string(major) + "." + std::to_string(minor);
      if (patch != 0) version += "." + std::to_string(patch);
      if (family == Family::kSafariMac) {
        out = "Mozilla/5.0 (";
        out += Any(rng, kMacPlatforms);
        out += ") AppleWebKit/605.1.15 (KHTML, like Gecko) Version/";
        out += version;
        out += " Safari/605.1.15";
        return out;
      }
      std::string os = std::to_string(major) + "_" + std::to_string(minor);
      if (patch != 0) os += "_" + std::to_string(patch);
      const bool ipad = rng.Chance(0.15);
      out = ipad ? "Mozilla/5.0 (iPad; CPU OS " : "Mozilla/5.0 (iPhone; CPU iPhone OS ";
      out += os;
      out += " like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/";
      out += version;
      out += " Mobile/15E148 Safari/604.1";
      return out;
    }
    default:
      return MakeOldAgent(rng, family);
  }
}

UserAgentPool::UserAgentPool(Random& rng, uint32_t size) {
  if (size == 0) size = 1;
  agents_.reserve(size);
  for (uint32_t i = 0; i < size; ++i) agents_.push_back(MakeBrowserAgent(rng));
}

uint32_t UserAgentPool::Pick(Random& rng) const { return rng.Skewed(size(), 2.2); }

}  // namespace velmora::loggen
