// Every row of the spider list is reachable: each robot's own published user agent is
// recognised as that row and not as an earlier one. And today's browsers are no robots.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "analysis/agents/spider_table.h"
#include "analysis/agents/user_agent.h"
#include "core/ascii.h"

namespace velmora {
namespace {

// One user agent per row, in row order.
constexpr auto kSamples = std::to_array<std::string_view>({
    "Googlebot/2.1 (+http://www.googlebot.com/bot.html)",
    "Googlebot-Image/1.0 (+http://www.googlebot.com/bot.html)",
    "Scooter-W3.1.2",
    "libwww-perl/5.48",
    "ia_archiver",
    "Slurp/2.0 (slurp@inktomi.com; http://www.inktomi.com/slurp.html)",  // 5
    "FAST-WebCrawler/3.3 (crawler@fast.no; http://fast.no/support.php?c=faqs/crawler)",
    "Mozilla/2.0 (compatible; Ask Jeeves/Teoma)",
    "Openfind data gatherer, Openbot/3.0+(robot-response@openfind.com.tw;+http://"
    "www.openfind.com.tw/robot.html)",
    "ZyBorg/1.0 (wn-14.zyborg@looksmart.net; http://www.WISEnutbot.com)",
    "Scooter_trk11-3.0.3",  // 10
    "Imagelock/1.0",
    "Mozilla/3.0 (Black Widow v1.1.0; Linux 2.0.27; Dec 31 1997 12:25:00",
    "ArchitextSpider",
    "XYLEME Robot/1.0 (http://www.xyleme.com)",
    "http://www.almaden.ibm.com/cs/crawler   [bs18]",  // 15
    "Mozilla/2.0 (compatible; MS FrontPage 4.0)",
    "'Ahoy! The Homepage Finder'",
    "AlkalineBOT/1.3",
    "appie/1.1",
    "Arachnophilia",  // 20
    "arks/1.0",
    "ASpider/0.09",
    "ATN_Worldwide",
    "Atomz/1.0",
    "AURESYS/1.0",  // 25
    "BackRub/*.*",
    "BaySpider",
    "Big Brother (http://pobox.com/~bb4)",
    "Bjaaland/0.5",
    "BlackWidow",  // 30
    "Blaiz-Bee/1.0 (+http://www.blaiz.net)",
    "BSpider/1.0 libwww-perl/0.40",
    "CACTVS Chemistry Spider",
    "Digimarc CGIReader/1.0",
    "Checkbot/1.64 LWP/5.53",  // 35
    "CipinetBot (http://www.cipinet.com/bot.html)",
    "CMC/0.01",
    "CoolBot",
    "root/0.1",
    "Internet Cruiser Robot/2.1",  // 40
    "Cusco/3.2",
    "CyberSpyder/2.1",
    "Deweb/1.01",
    "dienstspider/1.0",
    "Digger/1.0 JDK/1.3.0",  // 45
    "DIIbot/1.0",
    "DNAbot/1.0",
    "DragonBot/1.0 libwww/5.0",
    "LWP::E-collector",
    "EIT-Link-Verifier-Robot/0.2",  // 50
    "elfinbot",
    "EMC Spider",
    "esther",
    "explorersearch",
    "Mozilla/4.0 (compatible: FDSE robot)",  // 55
    "FelixIDE/1.0",
    "ESIRover v1.0",
    "fido/0.9 Harvest/1.4.pl2",
    "KIT-Fireball/2.0 libwww/5.0a",
    "Fish-Search-Robot",  // 60
    "Fouineur (http://fouineur.9bit.qc.ca/fouineur.html)",
    "Robot du CRIM 1.0a",
    "Freecrawl",
    "FunnelWeb-1.0",
    "gammaSpider xxxxxxx ()/",  // 65
    "gazz/1.0",
    "obot/0.1",
    "Interfree OEM 1.0",
    "Golem/1.1",
    "griffon/1.0",  // 70
    "Gromit/1.0",
    "Gulliver/1.3",
    "Gulper Web Bot 0.2.4 (www.ecsl.cs.sunysb.edu/~maxim/cgi-bin/Link/GulperBot)",
    "havIndex/X.xx[bxx]",
    "AITCSRobot/1.1",  // 75
    "Hometown Spider Pro",
    "wired-digital-newsbot/1.5",
    "htdig/3.1.6 (webmaster@example.com)",
    "INGRID/0.1",
    "Mozilla 3.01 PBWF (Win95)",  // 80
    "IncyWincy/1.0b1",
    "Informant",
    "DiaGem/1.1 (http://www.skyrocket.gr.jp/diagem.html)",
    "InfoSeek Robot 1.0",
    "Infoseek Sidewinder/0.9",  // 85
    "InfoSpiders/0.1",
    "inspectorwww/1.0 http://www.greenpac.com/inspectorwww.html",
    "Iron33/0.0",
    "IsraeliSearch/1.0",
    "JavaBee",  // 90
    "JCrawler/0.2",
    "gestaltIconoclast/1.0 libwww-FM/2.17",
    "Katipo/1.0",
    "KO_Yappo_Robot/1.0.4(http://yappo.com/info/robot.html)",
    "LabelGrab/1.1",  // 95
    "LinkValidator 1.0",
    "LinkScan Server/5.5",
    "LinkWalker/2.0",
    "Lockon/1.0",
    "Lycos/3.1",  // 100
    "AO/A-T.IDRG v2.3",
    "MerzScope",
    "NEC-MeshExplorer",
    "MindCrawler",
    "UdmSearch/2.1.1",  // 105
    "moget/1.0",
    "MOMspider/1.00 libwww-perl/0.40",
    "Monster/v1.0.0 -robot (Linux)",
    "MuscatFerret/2.0",
    "MwdSearch/0.1",  // 110
    "Mozilla/4.0 (compatible; Internet Shinchakubin)",
    "NetMechanic",
    "NetScoop/1.0 libwww/5.0a",
    "newscan-online/1.1",
    "NorthStar",  // 115
    "Orbsearch/1.0",
    "ParaSite/0.21 (http://www.ianett.com/parasite/)",
    "PortalJuice.com/4.0",
    "PGP-KA/1.2",
    "PlumtreeWebAccessor/0.9",  // 120
    "Poppi/1.0",
    "PortalBSpider/1.0 (spider@portalb.com)",
    "psbot/0.1 (+http://www.picsearch.com/bot.html)",
    "Resume Robot",
    "ComputingSite Robi/1.0 (robi@computingsite.com)",  // 125
    "Robozilla/1.0",
    "Scooter/2.0 G.R.A.B. V1.1.0",
    "Open Text Site Crawler V1.0",
    "SLCrawler",
    "ESISmartSpider/2.0",  // 130
    "Speedy Spider (http://www.entireweb.com)",
    "mouse.house/7.1",
    "SpiderBot/1.0",
    "spiderline/3.1.3",
    "SpiderView 1.0/unix",  // 135
    "SiteSearcher 1.0",
    "suntek/1.0",
    "TechBOT",
    "Templeton/1.0 for Linux",
    "URL Check",  // 140
    "URL Spider Pro",
    "VWbot_K/4.2",
    "CrawlPaper/1.2.4 (Windows 98)",
    "WWWWanderer v3.0",
    "WebCopier v3.2a",  // 145
    "WebBandit/1.0",
    "Digimarc WebReader/1.2",
    "WebReaper [webreaper@otway.com]",
    "WebWalker/1.10",
    "whatUseek_winona/3.0",  // 150
    "WOLP/1.0 mda/1.0",
    "WWWC/1.06",
    "XGET/0.7",
    "teoma_agent1 [wsaip@teoma.com]",
    "Nederland.zoek",  // 155
    "lwp-trivial/1.34",
    "Mozilla/4.0 (compatible; grub-client-1.0.7; Crawl your own stuff with http://grub.org)",
    "SQWorm/2.9.85-BETA (beta_release; 20011115-775; i686-pc-linux-gnu)",
    "NPBot-1/2.0 (http://www.nameprotect.com/botinfo.html)",
    "LinkWalker",  // 160
    "SlySearch/1.0 http://www.plagiarism.org/crawler/robotinfo.html",
    "Mercator-2.0",
    "larbin_2.6.2 larbin2.6.2@unspecified.mail",
    "Aport",
    "Flunky",  // 165
    "SiteChecker",
    "Java1.3.1",
    "VoilaBot; 1.6 libwww/5.3.2",
    "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; Girafabot; girafabot at girafa dot com; "
    "http://www.girafa.com)",
    "$botname/$botversion",  // 170
    "Xenu's Link Sleuth 1.1c",
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; MSIECrawler)",
    "Gaisbot/3.0+(robot@gais.cs.ccu.edu.tw;+http://gais.cs.ccu.edu.tw/robot.php)",
    "Mozilla",
    "Mozilla/2.0 (compatible; T-H-U-N-D-E-R-S-T-O-N-E)",  // 175
    "Speed Meter 1.0",
    "Pompos/1.3 http://dir.com/pompos.html",
    "TrueRobot/1.0",
    "BigBrain/1.0",
    "appie 1.1 (www.walhello.com)",  // 180
    "Surf15a",
    "Mozilla/4.0 (compatible)",
    "WebSite-Watcher/3.3",
    "Microsoft URL Control - 6.00.8862",
    "GMU Research Work",  // 185
    "Netcraft Web Server Survey",
    "Yandex/1.01.001 (compatible; Win16; I)",
    "Zao/0.1 (http://www.kototoi.org/zao/)",
    "NetResearchServer/2.5(loopimprovements.com/robot.html)",
    "UpTime Checker (www.uptimechecker.com)",  // 190
    "Sherlock/1.0",
    "Baiduspider+(+http://www.baidu.com/search/spider.htm)",
    "nabot/1.0",
    // Today's crawlers.
    "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)",
    "AdsBot-Google (+http://www.google.com/adsbot.html)",  // 195
    "Mediapartners-Google",
    "Mozilla/5.0 (compatible; Google-InspectionTool/1.0)",
    "GoogleOther",
    "Mozilla/5.0 (X11; Linux x86_64; Storebot-Google/1.0) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/79.0.3945.88 Safari/537.36",
    "FeedFetcher-Google; (+http://www.google.com/feedfetcher.html)",  // 200
    "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)",
    "msnbot/2.0b (+http://search.msn.com/msnbot.htm)",
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/534+ (KHTML, like Gecko) BingPreview/1.0b",
    "Mozilla/5.0 (compatible; Yahoo! Slurp; http://help.yahoo.com/help/us/ysearch/slurp)",
    "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)",  // 205
    "Mozilla/5.0 (compatible; YandexImages/3.0; +http://yandex.com/bots)",
    "DuckDuckBot/1.1; (+http://duckduckgo.com/duckduckbot.html)",
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_5) AppleWebKit/605.1.15 (KHTML, like Gecko) "
    "Version/13.1.1 Safari/605.1.15 (Applebot/0.1; +http://www.apple.com/go/applebot)",
    "Mozilla/5.0 (compatible; AhrefsBot/7.0; +http://ahrefs.com/robot/)",
    "Mozilla/5.0 (compatible; SemrushBot/7~bl; +http://www.semrush.com/bot.html)",  // 210
    "Mozilla/5.0 (compatible; MJ12bot/v1.4.8; http://mj12bot.com/)",
    "Mozilla/5.0 (compatible; DotBot/1.2; +https://opensiteexplorer.org/dotbot; help@moz.com)",
    "Mozilla/5.0 (Linux; Android 7.0;) AppleWebKit/537.36 (KHTML, like Gecko) Mobile "
    "Safari/537.36 (compatible; PetalBot;+https://webmaster.petalsearch.com/site/petalbot)",
    "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; GPTBot/1.0; "
    "+https://openai.com/gptbot)",
    "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko); compatible; ChatGPT-User/1.0; "
    "+https://openai.com/bot",  // 215
    "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko); compatible; OAI-SearchBot/1.0; "
    "+https://openai.com/searchbot",
    "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; ClaudeBot/1.0; "
    "+claudebot@anthropic.com)",
    "CCBot/2.0 (https://commoncrawl.org/faq/)",
    "Mozilla/5.0 (Linux; Android 5.0) AppleWebKit/537.36 (KHTML, like Gecko) Mobile "
    "Safari/537.36 (compatible; Bytespider; spider-feedback@bytedance.com)",
    "facebookexternalhit/1.1 (+http://www.facebook.com/externalhit_uatext.php)",  // 220
    "meta-externalagent/1.1 (+https://developers.facebook.com/docs/sharing/webmasters/crawler)",
    "Twitterbot/1.0",
    "Slackbot-LinkExpanding 1.0 (+https://api.slack.com/robots)",
    "TelegramBot (like TwitterBot)",
    "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/119.0.0.0 Safari/537.36 (compatible; Amazonbot/0.1; "
    "+https://developer.amazon.com/support/amazonbot)",  // 225
    "Mozilla/5.0 AppleWebKit/537.36 (KHTML, like Gecko; compatible; PerplexityBot/1.0; "
    "+https://perplexity.ai/perplexitybot)",
    "Mozilla/5.0 (compatible; Yeti/1.1; +http://naver.me/spd)",
    "Mozilla/5.0 (compatible; Qwantify/2.4w; +https://www.qwant.com/)/2.4w",
    "Mozilla/5.0 (compatible; archive.org_bot +http://archive.org/details/archive.org_bot)",
    "Mozilla/5.0 (compatible; SeznamBot/4.0; +https://o-seznam.cz/napoveda/vyhledavani/en/)",
    "Mozilla/5.0 (compatible; Linguee Crawler/1.0)",
    "Sogou web spider/4.0(+http://www.sogou.com/docs/help/webmasters.htm#07)",
});

TEST(SpiderSamples, EveryRowIsReachableByItsOwnUserAgent) {
  ASSERT_EQ(kSamples.size(), static_cast<size_t>(SpiderCount()));
  for (size_t row = 0; row < kSamples.size(); ++row) {
    EXPECT_EQ(RecognizeSpider(AsciiLowered(kSamples[row])), static_cast<int>(row)) << kSamples[row];
  }
}

// Current crawlers, which the original list alone would leave as visitors.
TEST(SpiderSamples, TodaysCrawlersAreRecognised) {
  struct Case {
    std::string_view text;
    std::string_view name;
  };
  const Case cases[] = {
      {"Mozilla/5.0 (Linux; Android 6.0.1; Nexus 5X Build/MMB29P) AppleWebKit/537.36 (KHTML, like "
       "Gecko) Chrome/119.0.6045.199 Mobile Safari/537.36 (compatible; Googlebot/2.1; "
       "+http://www.google.com/bot.html)",
       "Googlebot"},
      {"Googlebot-Image/1.0", "Googlebot"},
      {"Mozilla/5.0 (compatible; Baiduspider/2.0; +http://www.baidu.com/search/spider.html)",
       "BaiDuSpider"},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 7_0 like Mac OS X) AppleWebKit/537.51.1 (KHTML, like "
       "Gecko) Version/7.0 Mobile/11A465 Safari/9537.53 (compatible; bingbot/2.0; "
       "+http://www.bing.com/bingbot.htm)",
       "bingbot"},
      {"Mozilla/5.0 (compatible; YandexMobileBot/3.0; +http://yandex.com/bots)", "Yandex robots"},
      {"Mozilla/5.0 (compatible; Exabot/3.0; +http://www.exabot.com/go/robot)", "Other robot"},
      {"Mozilla/5.0 (compatible; DataForSeoBot/1.0; +https://dataforseo.com/dataforseo-bot)",
       "Other robot"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpiderName(RecognizeSpider(AsciiLowered(c.text))), c.name) << c.text;
  }
}

// Apps and phones whose names hold "bot", "robot" or an engine's name count as visitors; the
// browsers of the user-agent tests are checked there.
TEST(SpiderSamples, TodaysBrowsersAreNoRobots) {
  const std::string_view humans[] = {
      "Mozilla/5.0 (iPhone; CPU iPhone OS 16_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
      "Gecko) Mobile/15E148 [FBAN/FBIOS;FBDV/iPhone14,5;FBMD/iPhone;FBSN/iOS;FBSV/16.6]",
      "Mozilla/5.0 (Linux; Android 9; CUBOT_X19 Build/PPR1.180610.011) AppleWebKit/537.36 (KHTML, "
      "like Gecko) Chrome/119.0.0.0 Mobile Safari/537.36",
      "Mozilla/5.0 (Linux; Android 11; CUBOT KINGKONG 5 Pro) AppleWebKit/537.36 (KHTML, like "
      "Gecko) Chrome/119.0.0.0 Mobile Safari/537.36",
      "Mozilla/5.0 (Linux; Android 12; ROBOT Build/SP1A) AppleWebKit/537.36 (KHTML, like Gecko) "
      "Chrome/119.0.0.0 Mobile Safari/537.36",
      "Mozilla/5.0 (Windows NT 10.0; WOW64; Trident/7.0; rv:11.0) like Gecko",
      "Mozilla/5.0 (Linux; Android 13; Pixel 7) AppleWebKit/537.36 (KHTML, like Gecko) "
      "Chrome/119.0.0.0 Mobile Safari/537.36 YandexSearch/23.101",
  };
  for (std::string_view text : humans) {
    EXPECT_EQ(InspectUserAgent(text).spider, -1) << text;
  }
}

}  // namespace
}  // namespace velmora
