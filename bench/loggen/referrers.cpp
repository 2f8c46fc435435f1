#include "bench/loggen/referrers.h"

#include <array>

namespace velmora::loggen {
namespace {

constexpr std::array<std::string_view, 5> kOwnHosts = {
    "http://www.example.com", "https://www.example.com", "https://www.example.com",
    "http://example.com", "https://example.com"};

// A search engine's result URL is prefix + encoded phrase + suffix.
struct Engine {
  std::string_view prefix;
  std::string_view suffix;
  std::string_view space;  // how the engine encodes a blank in the phrase
  uint16_t weight;
};

constexpr std::array<Engine, 22> kEngines = {{
    {"https://www.google.com/search?q=", "&hl=en", "+", 200},
    {"https://www.google.com/search?client=firefox-b-d&q=", "", "+", 40},
    {"http://www.google.de/search?hl=de&q=", "&btnG=Google-Suche&meta=", "+", 30},
    {"https://www.google.co.uk/search?q=", "&source=hp", "+", 30},
    {"https://www.google.fr/search?q=", "", "+", 15},
    {"http://www.google.com/search?hl=en&ie=UTF-8&oe=UTF-8&q=", "", "+", 15},
    {"https://www.bing.com/search?q=", "&form=QBLH", "+", 70},
    {"https://duckduckgo.com/?q=", "&t=h_&ia=web", "+", 35},
    {"https://search.yahoo.com/search?p=", "&fr=yfp-t", "+", 30},
    {"http://search.yahoo.com/bin/search?p=", "", "+", 8},
    {"https://yandex.ru/search/?text=", "&lr=213", "%20", 30},
    {"https://www.baidu.com/s?wd=", "&ie=utf-8", "%20", 20},
    {"https://www.ecosia.org/search?q=", "", "+", 5},
    {"http://www.altavista.com/web/results?itag=ody&q=", "&kgs=0&kls=0", "+", 10},
    {"http://www.altavista.com/cgi-bin/query?pg=q&kl=XX&q=", "", "+", 5},
    {"http://www.alltheweb.com/search?cat=web&cs=utf-8&q=", "", "+", 5},
    {"http://search.msn.com/results.aspx?q=", "&FORM=MSNH", "+", 8},
    {"http://search.aol.com/aolcom/search?query=", "&invocationType=topsearchbox", "+", 5},
    {"http://search.lycos.com/default.asp?loc=searchbox&query=", "", "+", 4},
    {"http://www.excite.com/search.gw?search=", "", "+", 3},
    {"http://web.ask.com/web?q=", "&qsrc=0&o=0", "+", 5},
    {"http://www.hotbot.com/default.asp?query=", "", "+", 2},
}};

// What people type to find a site about servers and their logs; a few words are not ASCII, so
// that decoding is exercised too.
constexpr std::array<std::string_view, 96> kSearchWords = {
    "web",        "log",      "analyzer", "analysis",  "apache",     "iis",      "nginx",
    "statistics", "stats",    "visitor",  "visitors",  "traffic",    "report",   "free",
    "download",   "windows",  "linux",    "server",    "access",     "error",    "404",
    "how",        "to",       "install",  "configure", "setup",      "tutorial", "best",
    "tool",       "software", "open",     "source",    "hosting",    "domain",   "referrer",
    "user",       "agent",    "browser",  "spider",    "robots.txt", "google",   "ranking",
    "seo",        "keyword",  "search",   "engine",    "page",       "views",    "hits",
    "session",    "timeout",  "gzip",     "bzip2",     "ftp",        "upload",   "w3c",
    "extended",   "format",   "combined", "common",    "parse",      "parser",   "field",
    "time",       "zone",     "gmt",      "daily",     "weekly",     "monthly",  "chart",
    "export",     "html",     "csv",      "the",       "a",          "for",      "and",
    "of",         "in",       "2.1",      "v3",        "1.2.3",      "pro",      "manual",
    "pdf",        "webtool",  "example",  "größe",     "münchen",    "café",     "статистика",
    "сайта",      "日志",     "分析",     "ログ",      "解析"};

void AppendPhrase(Random& rng, std::string_view space, std::string& out) {
  const uint32_t words = 1 + rng.Skewed(4, 1.7);
  std::string phrase;
  for (uint32_t i = 0; i < words; ++i) {
    if (i != 0) phrase += ' ';
    phrase += kSearchWords[rng.Skewed(kSearchWords.size(), 1.4)];
  }
  if (rng.Chance(0.05) && phrase[0] >= 'a' && phrase[0] <= 'z') {
    phrase[0] = static_cast<char>(phrase[0] - 'a' + 'A');  // typed Capitalised
  }
  AppendUrlEncoded(phrase, space, out);
}

constexpr std::array<std::string_view, 32> kSyllables = {
    "net",  "web",  "link", "zone", "hub",  "soft", "data", "info", "byte",  "page", "site",
    "tech", "blue", "red",  "star", "nova", "city", "open", "geo",  "max",   "pro",  "alpha",
    "kit",  "lab",  "box",  "wave", "mint", "core", "fox",  "sun",  "pixel", "forum"};
constexpr std::array<std::string_view, 12> kTlds = {
    ".com", ".net", ".org", ".de", ".co.uk", ".fr", ".nl", ".ru", ".jp", ".com.br", ".info", ".io"};

void AppendNumber(std::string& out, uint64_t n) { out += std::to_string(n); }

// Base-36 text of n, as short link and comment ids look.
void AppendBase36(std::string& out, uint64_t n, int digits) {
  static constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int i = 0; i < digits; ++i, n /= 36) out += kDigits[n % 36];
}

// The page behind one link number; a pure function of the number.
void AppendLink(uint64_t link, std::string& out) {
  const uint64_t h = Mix64(link);
  if (link % 7 == 3) {  // the big sites every log shows
    switch ((h >> 8) % 6) {
      case 0:
        out += "https://www.facebook.com/";
        return;
      case 1:
        out += "https://t.co/";
        AppendBase36(out, h, 10);
        return;
      case 2:
        out += "https://www.reddit.com/r/sysadmin/comments/";
        AppendBase36(out, h, 6);
        out += '/';
        return;
      case 3:
        out += "https://news.ycombinator.com/item?id=";
        AppendNumber(out, 30'000'000 + h % 9'000'000);
        return;
      case 4:
        out += "https://en.wikipedia.org/wiki/";
        out += kSyllables[h % 32];
        out += "_";
        out += kSearchWords[(h >> 12) % 40];
        return;
      default:
        out += "android-app://com.google.android.gm/";
        return;
    }
  }
  // Domains are shared by neighbouring link numbers, as a site links from several pages.
  const uint64_t d = Mix64(link / 6 + 0x5157);
  out += (d & 1) ? "http://" : "https://";
  if (d & 2) out += "www.";
  out += kSyllables[(d >> 4) % 32];
  out += kSyllables[(d >> 12) % 32];
  if ((d >> 20) % 3 == 0) AppendNumber(out, (d >> 24) % 100);
  out += kTlds[(d >> 32) % kTlds.size()];
  switch ((h >> 16) % 8) {
    case 0:
      out += '/';
      return;
    case 1:
      out += "/links.html";
      return;
    case 2:
      out += "/forum/showthread.php?t=";
      AppendNumber(out, h % 900000);
      return;
    case 3:
      out += "/blog/";
      AppendNumber(out, 2010 + h % 16);
      out += '/';
      AppendNumber(out, 1 + (h >> 24) % 12);
      out += '/';
      out += kSyllables[(h >> 28) % 32];
      out += '-';
      out += kSyllables[(h >> 34) % 32];
      out += '/';
      return;
    case 4:
      out += "/wiki/";
      out += kSearchWords[(h >> 24) % 40];
      return;
    case 5:
      out += "/bookmarks/";
      AppendNumber(out, h % 5000);
      out += ".htm";
      return;
    case 6:
      out += "/index.php?page=resources&id=";
      AppendNumber(out, h % 20000);
      return;
    default:
      out += "/articles/";
      AppendNumber(out, h % 100000);
      out += ".html";
      return;
  }
}

}  // namespace

std::span<const std::string_view> OwnHostVariants() { return kOwnHosts; }

void AppendSearchReferrer(Random& rng, std::string& out) {
  const Engine& e = kEngines[PickWeighted(rng, kEngines, [](const Engine& x) { return x.weight; })];
  out += e.prefix;
  AppendPhrase(rng, e.space, out);
  out += e.suffix;
}

void AppendOtherSiteReferrer(Random& rng, std::string& out) {
  AppendLink(rng.Skewed(60000, 2.0), out);
}

void AppendUrlEncoded(std::string_view text, std::string_view space, std::string& out) {
  static constexpr std::string_view kHex = "0123456789ABCDEF";
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '-' ||
        b == '.' || b == '_' || b == '~') {
      out += c;
    } else if (b == ' ') {
      out += space;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
}

}  // namespace velmora::loggen
