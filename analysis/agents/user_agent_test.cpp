#include "analysis/agents/user_agent.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

#include "analysis/agents/browser_rules.h"
#include "core/ascii.h"

namespace velmora {
namespace {

struct AgentCase {
  std::string_view text;
  std::string_view browser;
  std::string_view os;
};

// Names taken from the chains come from the lower-cased text, so any case gives them, and the
// browsers they name are no robots; a name taken from the product token keeps that token's case.
void ExpectClassified(const AgentCase& c, bool from_chains = true) {
  if (from_chains) {
    EXPECT_EQ(InspectUserAgent(c.text).spider, -1) << c.text;
  }
  const std::string variants[] = {std::string(c.text), AsciiLowered(c.text), AsciiUppered(c.text)};
  for (const std::string& text : std::span(variants, from_chains ? 3 : 1)) {
    const UserAgentClass got = ClassifyUserAgent(text);
    EXPECT_EQ(got.browser, c.browser) << text;
    EXPECT_EQ(got.os, c.os) << text;
    EXPECT_EQ(got.lowered, AsciiLowered(c.text));
  }
}

TEST(ClassifyUserAgent, ChainsNameBrowserAndSystem) {
  const AgentCase cases[] = {
      // The original chains, with the texts and traps they were written for.
      {"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)", "MSIE 6.x", "Windows XP"},
      {"Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; Win 9x 4.90)", "MSIE 5.x", "Windows ME"},
      // The "2." of the kernel version is found before "4.7".
      {"Mozilla/4.78 [en] (X11; U; Linux 2.4.7 i686)", "Netscape 2.x", "Linux"},
      {"Mozilla/4.78 [en] (Win98; U)", "Netscape 4.7x", "Windows 98"},
      {"Opera/6.0 (Windows 2000; U)", "Opera", "Windows 2000"},
      {"Mozilla/4.0 (compatible; MSIE 5.0; Windows 98) Opera 6.01  [en]", "Opera", "Windows 98"},
      {"Mozilla/4.0 (compatible; MSIE 6.0; AOL 7.0; Windows NT 5.1)", "AOL 7.x", "Windows XP"},
      {"Mozilla/4.0 (compatible; MSIE 5.5; AOL 6.0; Windows 98)", "AOL 6.x", "Windows 98"},
      {"Mozilla/4.0 (compatible; MSIE 5.0; AOL 5.0; Windows 95)", "AOL 5.x", "Windows 95"},
      {"Mozilla/4.0 (compatible; MSIE 4.01; AOL 4.0; Windows 95)", "AOL 4.x", "Windows 95"},
      {"Mozilla/4.0 (compatible; MSIE 5.5; AOL 8.0; Windows NT 5.0)", "AOL", "Windows 2000"},
      {"Mozilla/4.5 (compatible; HTTrack 3.0x; Windows 98)", "HTTrack", "Windows 98"},
      {"Mozilla/4.0 (compatible; MSIE 4.01; Windows 95)", "MSIE 4.x", "Windows 95"},
      {"Mozilla/2.0 (compatible; MSIE 3.02; Windows 95)", "MSIE 3.x", "Windows 95"},
      {"Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)", "MSIE", "Windows XP"},
      {"Mozilla/3.01 (Win95; I)", "Netscape 3.x", "Windows 95"},
      {"Mozilla/4.61 [de] (WinNT; I)", "Netscape 4.x", "Windows NT"},
      {"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 4.0)", "MSIE 6.x", "Windows NT"},
      {"Mozilla/4.0 (compatible; MSIE 6.0; Windows ME)", "MSIE 6.x", "Windows ME"},
      {"Mozilla/4.0 (compatible; MSIE 5.0; Win32)", "MSIE 5.x", "Windows"},
      // Netscape 6 and 7 carry other version digits that come first in the chain.
      // and their first "win" is "Windows;", which no prefix names.
      {"Mozilla/5.0 (Windows; U; Windows NT 5.1; en-US; rv:0.9.4.1) Gecko/20020508 Netscape6/6.2.3",
       "Netscape 2.x", "Windows"},
      {"Mozilla/5.0 (Windows; U; Win98; en-US; rv:1.0.1) Gecko/20020823 Netscape/7.0", "Netscape 7",
       "Windows"},
      {"Mozilla/5.0 Netscape6", "Netscape 6", "Unknown"},
      {"Mozilla/5.0 Netscape7", "Netscape 7", "Unknown"},
      {"Mozilla/5.0 (X11; U; Linux i686; en-US; rv:1.0.1) Gecko", "Mozilla 5.x", "Linux"},
      {"Mozilla/6.0 (X11)", "Mozilla 6.x", "Unknown"},
      {"Mozilla/7.0 (Macintosh)", "Mozilla 7.x", "Mac OS"},
      {"Mozilla/x (FreeBSD)", "Mozilla", "FreeBSD"},
      {"Mozilla/x (Unix)", "Mozilla", "Unix"},
      {"Mozilla/x (SunOS)", "Mozilla", "Sun OS"},
      // Only the first "win" counts, and "darwin" is one.
      {"Mozilla/x (Darwin; Windows NT 5.1)", "Mozilla 5.x", "Windows"},
      {"Mozilla/x (Macintosh; Darwin)", "Mozilla", "Windows"},
      // Today's browsers and systems, recognised only by their own tokens.
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/119.0.0.0 Safari/537.36 Edg/119.0.2151.72",
       "Edge 119", "Windows 10"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/70.0.3538.102 Safari/537.36 Edge/18.19042",
       "Edge 18", "Windows 10"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/118.0.0.0 Safari/537.36 OPR/104.0.0.0",
       "Opera 104", "Windows 10"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/116.0.0.0 YaBrowser/23.9.0.0 Safari/537.36",
       "Yandex Browser 23", "Windows 10"},
      {"Mozilla/5.0 (Linux; Android 13; SAMSUNG SM-S918B) AppleWebKit/537.36 (KHTML, like Gecko) "
       "SamsungBrowser/23.0 Chrome/115.0.0.0 Mobile Safari/537.36",
       "Samsung Internet 23", "Android"},
      {"Mozilla/5.0 (Windows NT 10.0; Win64; x64; rv:109.0) Gecko/20100101 Firefox/119.0",
       "Firefox 119", "Windows 10"},
      {"Mozilla/5.0 (X11; Ubuntu; Linux x86_64; rv:109.0) Gecko/20100101 Firefox/118.0",
       "Firefox 118", "Linux"},
      {"Mozilla/5.0 (Android 14; Mobile; rv:120.0) Gecko/120.0 Firefox/120.0", "Firefox 120",
       "Android"},
      {"Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 (KHTML, like Gecko) "
       "Version/17.1 Safari/605.1.15",
       "Safari 17", "Mac OS"},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
       "Gecko) Version/17.1 Mobile/15E148 Safari/604.1",
       "Safari 17", "iOS"},
      {"Mozilla/5.0 (iPad; CPU OS 16_6 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) "
       "Version/16.6 Mobile/15E148 Safari/604.1",
       "Safari 16", "iOS"},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
       "Gecko) CriOS/119.0.6045.109 Mobile/15E148 Safari/604.1",
       "Chrome 119", "iOS"},
      {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_1 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like "
       "Gecko) FxiOS/119.0 Mobile/15E148 Safari/605.1.15",
       "Firefox 119", "iOS"},
      {"Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/119.0.0.0 Mobile Safari/537.36 EdgA/119.0.2151.58",
       "Edge 119", "Android"},
      {"Mozilla/5.0 (Linux; Android 10; K) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/119.0.0.0 Mobile Safari/537.36",
       "Chrome 119", "Android"},
      {"Mozilla/5.0 (X11; CrOS x86_64 14541.0.0) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/119.0.0.0 Safari/537.36",
       "Chrome 119", "Chrome OS"},
      {"Mozilla/5.0 (Windows NT 6.1; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
       "Chrome/109.0.0.0 Safari/537.36",
       "Chrome 109", "Windows 7"},
      {"Mozilla/5.0 (Windows NT 6.3; Win64; x64; rv:115.0) Gecko/20100101 Firefox/115.0",
       "Firefox 115", "Windows 8.1"},
      {"Mozilla/5.0 (Windows NT 6.2; WOW64; rv:52.0) Gecko/20100101 Firefox/52.0", "Firefox 52",
       "Windows 8"},
      {"Mozilla/5.0 (Windows NT 6.0; rv:52.0) Gecko/20100101 Firefox/52.0", "Firefox 52",
       "Windows Vista"},
      // Safari without "Version/" and a token without digits keep the plain name.
      {"Mozilla/5.0 (Macintosh; U; PPC Mac OS X; en) AppleWebKit/85.7 (KHTML, like Gecko) "
       "Safari/85.5",
       "Safari", "Mac OS"},
      {"Foo Chrome/ Bar", "Chrome", "Unknown"},
  };
  for (const AgentCase& c : cases) ExpectClassified(c);
}

TEST(ClassifyUserAgent, FallbackNamesTheProductToken) {
  const AgentCase cases[] = {
      {"Wget/1.8.2", "Wget", "Unknown"},
      {"Foo (compatible) Bar/1.0", "Foo", "Unknown"},
      {"Foo   (compatible) Bar/1.0", "Foo", "Unknown"},  // spaces before '(' are dropped
      {"Foo/1.0 (Linux)", "Foo", "Linux"},               // a '(' after the slash changes nothing
      {"Foo(bar) baz", "Foo(bar)", "Unknown"},           // no slash: the '(' does not count
      {"Java1.3.1", "Java1.3.1", "Unknown"},
      {"Big Brother", "Big", "Unknown"},
      {"/leading/slash", "", "Unknown"},
      {"(compatible)/1.0", "", "Unknown"},
      {"ABC", "Unknown", "Unknown"},
      {"ABC1", "ABC1", "Unknown"},
      {"AbC", "AbC", "Unknown"},
      {"", "", "Unknown"},
      // Microsoft's own name must not read as Chrome OS.
      {"Microsoft Office/16.0 (Microsoft Outlook 16.0.4266)", "Microsoft Office", "Unknown"},
  };
  for (const AgentCase& c : cases) ExpectClassified(c, /*from_chains=*/false);
}

TEST(ClassifyUserAgent, HostileTextsStayInBounds) {
  const std::string long_text(10000, 'x');
  const std::string long_mozilla = "Mozilla/" + std::string(5000, '9');
  const std::string capitals(3000, 'A');
  std::string binary;
  for (int i = 1; i < 256; ++i) binary += static_cast<char>(i);
  const std::string texts[] = {long_text,
                               long_mozilla,
                               capitals,
                               binary,
                               "win",
                               "mozilla",
                               "chrome/",
                               "version/",
                               "safari/",
                               "(",
                               "/",
                               " ",
                               "edg/9999999999",
                               std::string("Opera\0hidden", 12)};
  for (const std::string& text : texts) {
    const UserAgentClass got = ClassifyUserAgent(text);
    EXPECT_LE(got.lowered.size(), kMaxUserAgentLength);
    EXPECT_LE(got.browser.size(), kMaxUserAgentLength);
    EXPECT_FALSE(got.os.empty());
  }
  // Only the first 2,048 characters are looked at, and a NUL ends the text.
  EXPECT_EQ(ClassifyUserAgent(capitals).browser, "Unknown");
  EXPECT_EQ(ClassifyUserAgent(std::string(2048, 'x') + " msie 6.0").browser,
            std::string(2048, 'x'));
  EXPECT_EQ(ClassifyUserAgent(std::string("Opera\0 msie", 11)).lowered, "opera");
  EXPECT_EQ(ClassifyUserAgent("Foo Chrome/123456789").browser, "Chrome 12345");
}

TEST(InspectUserAgent, AddsTheSpiderAndTurnsPlusIntoSpace) {
  const UserAgentInspection human =
      InspectUserAgent("Mozilla/4.0+(compatible;+MSIE+6.0;+Windows+NT+5.1)");
  EXPECT_EQ(human.browser, "MSIE 6.x");
  EXPECT_EQ(human.os, "Windows XP");
  EXPECT_EQ(human.spider, -1);
  EXPECT_EQ(human.spider_name, "");

  const UserAgentInspection robot =
      InspectUserAgent("Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)");
  EXPECT_EQ(robot.spider_name, "Googlebot");
  EXPECT_GE(robot.spider, 194);
  EXPECT_EQ(robot.browser, "Netscape 2.x");  // the "2." of "Googlebot/2.1"

  const UserAgentInspection old_robot =
      InspectUserAgent("Googlebot/2.1 (+http://www.googlebot.com/bot.html)");
  EXPECT_EQ(old_robot.spider, 0);
  EXPECT_EQ(old_robot.spider_name, "GoogleBot");
  EXPECT_EQ(old_robot.browser, "Googlebot");
}

}  // namespace
}  // namespace velmora
