// The non-human clients: spiders with the networks they are known to crawl from (so that address
// based reports group them as real logs do), feed readers and tools, and worm scanners. The
// agents are the published texts of each robot, old and new.
#include <array>

#include "bench/loggen/user_agents.h"

namespace velmora::loggen {
namespace {

constexpr uint32_t Net(uint32_t a, uint32_t b, uint32_t c) { return a << 24 | b << 16 | c << 8; }

constexpr std::array<SpiderProfile, 24> kSpiders = {{
    {"Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)", Net(66, 249, 66),
     300, SpiderHabit::kPages},
    {"Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) AppleWebKit/537.36 (KHTML, like "
     "Gecko) Chrome/131.0.6778.69 Mobile Safari/537.36 (compatible; Googlebot/2.1; "
     "+http://www.google.com/bot.html)",
     Net(66, 249, 68), 160, SpiderHabit::kPages},
    {"Googlebot-Image/1.0", Net(66, 249, 70), 50, SpiderHabit::kImages},
    {"Googlebot/2.1 (+http://www.googlebot.com/bot.html)", Net(64, 68, 82), 20,
     SpiderHabit::kPages},
    {"Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)", Net(157, 55, 39),
     160, SpiderHabit::kPages},
    {"msnbot/1.0 (+http://search.msn.com/msnbot.htm)", Net(65, 55, 208), 15, SpiderHabit::kPages},
    {"Mozilla/5.0 (compatible; Baiduspider/2.0; +http://www.baidu.com/search/spider.html)",
     Net(180, 76, 15), 60, SpiderHabit::kPages},
    {"Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)", Net(5, 255, 253), 60,
     SpiderHabit::kPages},
    {"Yandex/1.01.001 (compatible; Win16; I)", Net(213, 180, 206), 8, SpiderHabit::kPages},
    {"DuckDuckBot/1.1; (+http://duckduckgo.com/duckduckbot.html)", Net(20, 191, 45), 25,
     SpiderHabit::kPages},
    {"Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)", Net(54, 36, 148), 90,
     SpiderHabit::kPages},
    {"Mozilla/5.0 (compatible; SemrushBot/7~bl; +http://www.semrush.com/bot.html)",
     Net(185, 191, 171), 70, SpiderHabit::kPages},
    {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_5) AppleWebKit/605.1.15 (KHTML, like Gecko) "
     "Version/13.1.1 Safari/605.1.15 (Applebot/0.1; +http://www.apple.com/go/applebot)",
     Net(17, 58, 98), 30, SpiderHabit::kPages},
    {"Mozilla/5.0 (compatible; Yahoo! Slurp; http://help.yahoo.com/help/us/ysearch/slurp)",
     Net(72, 30, 14), 20, SpiderHabit::kPages},
    {"Mozilla/3.0 (Slurp/si; slurp@inktomi.com; http://www.inktomi.com/slurp.html)",
     Net(216, 35, 116), 10, SpiderHabit::kPages},
    {"Scooter/3.2", Net(209, 73, 164), 8, SpiderHabit::kPages},
    {"Scooter-3.2.EX", Net(209, 73, 165), 5, SpiderHabit::kPages},
    {"ia_archiver", Net(209, 237, 238), 12, SpiderHabit::kPages},
    {"ia_archiver (+http://www.alexa.com/site/help/webmasters; crawler@alexa.com)",
     Net(209, 237, 237), 6, SpiderHabit::kPages},
    {"FAST-WebCrawler/3.8 (atw-crawler at fast dot no; http://fast.no/support/crawler.asp)",
     Net(66, 77, 73), 6, SpiderHabit::kPages},
    {"Mozilla/2.0 (compatible; Ask Jeeves/Teoma; +http://sp.ask.com/docs/about/tech_crawling.html)",
     Net(65, 214, 44), 8, SpiderHabit::kPages},
    {"Mercator-2.0", Net(209, 73, 180), 3, SpiderHabit::kPages},
    {"W3C-checklink/4.81 libwww-perl/5.836", Net(128, 30, 52), 5, SpiderHabit::kProbe},
    {"LinkWalker/2.0", Net(208, 94, 116), 4, SpiderHabit::kProbe},
}};

constexpr std::array<std::string_view, 12> kTools = {
    "Feedly/1.0 (+http://www.feedly.com/fetcher.html; 12 subscribers; like FeedFetcher-Google)",
    "Feedbin feed-id:2417760 - 3 subscribers",
    "NewsBlur Feed Fetcher - 8 subscribers - https://www.newsblur.com/site/6142",
    "Tiny Tiny RSS/22.08 (https://tt-rss.org/)",
    "Wget/1.21.3",
    "Wget/1.8.2",
    "curl/8.4.0",
    "curl/7.88.1",
    "python-requests/2.31.0",
    "Go-http-client/1.1",
    "libwww-perl/6.72",
    "Java/1.8.0_392",
};

constexpr std::array<std::string_view, 5> kScanners = {
    "", "Mozilla/5.0 zgrab/0.x", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)",
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/78.0.3904.108 Safari/537.36",
    "masscan/1.3 (https://github.com/robertdavidgraham/masscan)"};

}  // namespace

std::span<const SpiderProfile> Spiders() { return kSpiders; }
std::span<const std::string_view> ToolAgents() { return kTools; }
std::span<const std::string_view> ScannerAgents() { return kScanners; }

}  // namespace velmora::loggen
