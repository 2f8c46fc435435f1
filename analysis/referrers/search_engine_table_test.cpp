#include "analysis/referrers/search_engine_table.h"

#include <gtest/gtest.h>

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/referrers/referrer_analysis.h"
#include "core/ascii.h"

namespace velmora {
namespace {

size_t CountSet(const auto& texts) {
  size_t n = 0;
  while (n < texts.size() && !texts[n].empty()) ++n;
  return n;
}

TEST(SearchEngineTable, EveryRowIsWellFormed) {
  const auto rows = SearchEngineRows();
  for (size_t row = 1; row < rows.size(); ++row) {
    const SearchEngineRow& r = rows[row];
    EXPECT_FALSE(r.name.empty()) << row;
    EXPECT_GE(CountSet(r.hosts), 1u) << row;
    EXPECT_GE(CountSet(r.markers), 1u) << row;
    // No set entry after an empty one: the first empty entry ends each list.
    for (size_t i = CountSet(r.hosts); i < r.hosts.size(); ++i) EXPECT_TRUE(r.hosts[i].empty());
    for (size_t i = CountSet(r.markers); i < r.markers.size(); ++i) {
      EXPECT_TRUE(r.markers[i].empty());
    }
    // Domains are lower-cased before they are matched.
    for (std::string_view host : r.hosts) EXPECT_EQ(host, AsciiLowered(host)) << row;
  }
}

// Row 0 stands for "no engine"; numbers outside the table name nothing.
TEST(SearchEngineTable, NamesOutsideTheTableAreEmpty) {
  EXPECT_EQ(EngineName(0), "");
  EXPECT_EQ(EngineName(-1), "");
  EXPECT_EQ(EngineName(EngineCount()), "");
}

// One search-result URL per engine, in row order: each finds its own row, with its term.
constexpr auto kSamples = std::to_array<std::string_view>({
    "",
    "http://search.yahoo.com/bin/search?p=web+log+analyzer",
    "http://www.google.com/search?hl=en&q=web+log+analyzer",
    "http://www.alltheweb.com/search?cat=web&q=web+log+analyzer",
    "http://www.altavista.com/web/results?q=web+log+analyzer&kgs=0",
    "http://search.msn.com/results.asp?RS=CHECKED&FORM=MSNH&v=1&q=web+log+analyzer",  // 5
    "http://aolsearch.aol.com/aol/search?query=web+log+analyzer",
    "http://www.overture.com/d/search/?type=home&Keywords=web+log+analyzer",
    "http://search.lycos.com/default.asp?loc=searchbox&query=web+log+analyzer",
    "http://www.ask.com/main/askjeeves.asp?ask=web+log+analyzer",
    "http://www.dogpile.com/texis/search?q=web+log+analyzer",  // 10
    "http://search.netscape.com/search.psp?cp=clkussrp&search=web+log+analyzer",
    "http://www.northernlight.com/nlquery.fcg?cb=0&qr=web+log+analyzer",
    "http://search.dmoz.org/cgi-bin/search?search=web+log+analyzer",
    "http://search.excite.com/search.gw?search=web+log+analyzer",
    "http://www.hotbot.com/?MT=web+log+analyzer&SM=MC",  // 15
    "http://www.atmeta.com/search?q=web+log+analyzer",
    "http://search.nifty.com/cgi-bin/search.cgi?Text=web+log+analyzer",
    "http://search.abacho.de/suche?q=web+log+analyzer",
    "http://search.about.com/fullsearch.htm?terms=web+log+analyzer",
    "http://www.acoon.de/cgi-bin/search.exe?begriff=web+log+analyzer",  // 20
    "http://www.adguide.com.br/busca?query=web+log+analyzer",
    "http://www.advalvas.be/cgi-bin/search?WORD=web+log+analyzer",
    "http://www.aladin.de/suche?q=web+log+analyzer",
    "http://www.all4one.com/search?query=web+log+analyzer",
    "http://www.ananzi.co.za/cgi-bin/search.cgi?qt=web+log+analyzer",  // 25
    "http://www.anzwers.com.au/cgi-bin/search?q=web+log+analyzer",
    "http://www.aonde.com/busca?key=web+log+analyzer",
    "http://www.arabul.com/search?q=web+log+analyzer",
    "http://www.arama.com/search?q=web+log+analyzer",
    "http://www.askme.com/search?q=web+log+analyzer",  // 30
    "http://www.bay9.com/search?q=web+log+analyzer",
    "http://search.bluewin.ch/bw/search/web/de/result.jsp?qry=web+log+analyzer",
    "http://search.businessweek.com/search?query=web+log+analyzer",
    "http://busca.cade.com.br/scripts/engine.exe?query=web+log+analyzer",
    "http://www.cmpnet.com/search?query=web+log+analyzer",  // 35
    "http://search.cnet.com/search?QUERY=web+log+analyzer",
    "http://www.compuserve.com/search?sTerm=web+log+analyzer",
    "http://www.coolibii.com/search?q=web+log+analyzer",
    "http://www.crawler.de/suche?q=web+log+analyzer",
    "http://www.deja.com/dnquery.xp?QRY=web+log+analyzer",  // 40
    "http://www.directhit.com/fcgi-bin/DirectHitWeb.fcg?qry=web+log+analyzer",
    "http://www.ditto.com/searchResults.asp?ss=web+log+analyzer",
    "http://www.eblast.com/search?query=web+log+analyzer",
    "http://www.euroseek.com/system/search.cgi?language=en&query=web+log+analyzer",
    "http://www.entireweb.com/search/?q=web+log+analyzer",  // 45
    "http://www.evreka.com/search?q=web+log+analyzer",
    "http://www.exalead.com/search/?q=web+log+analyzer",
    "http://www.findall.com/search?query=web+log+analyzer",
    "http://www.findwhat.com/bin/findwhat.dll?getresults&mt=web+log+analyzer",
    "http://www.fireball.de/cgi-bin/pursuit?query=web+log+analyzer",  // 50
    "http://www.fresheye.com/search?kw=web+log+analyzer",
    "http://www.galaxy.com/cgi-bin/dirsearch?query=web+log+analyzer",
    "http://www.geewiz.com/search?q=web+log+analyzer",
    "http://www.globalmedia.com/search?q=web+log+analyzer",
    "http://www.go2net.com/search?general=web+log+analyzer",  // 55
    "http://search.goo.ne.jp/web.jsp?MT=web+log+analyzer",
    "http://www.gotoworld.com/search?q=web+log+analyzer",
    "http://www.guiautil.com.br/busca?q=web+log+analyzer",
    "http://www.hotlinks.com/search?q=web+log+analyzer",
    "http://home.iwon.com/search?searchfor=web+log+analyzer",  // 60
    "http://www.inetguide.com/search?q=web+log+analyzer",
    "http://infoseek.go.com/Titles?qt=web+log+analyzer",
    "http://www.infospace.com/info/search?qkw=web+log+analyzer",
    "http://www.ignifuge.com/search?query=web+log+analyzer",
    "http://www.isize.com/search?q=web+log+analyzer",  // 65
    "http://www.ixquick.com/do/metasearch.pl?query=web+log+analyzer",
    "http://www.kanoodle.com/results.html?query=web+log+analyzer",
    "http://lawcrawler.findlaw.com/scripts/lc.pl?q=web+log+analyzer",
    "http://www.links2go.com/search?query=web+log+analyzer",
    "http://www.looksmart.com/r_search?key=web+log+analyzer",  // 70
    "http://www.megaspider.com/cgi-bin/search?web+log+analyzer&x=1",
    "http://magellan.mckinley.com/search?search=web+log+analyzer",
    "http://www.mamma.com/Mamma?query=web+log+analyzer",
    "http://www.matilda.com/search?q=web+log+analyzer",
    "http://www.metagopher.com/search?q=web+log+analyzer",  // 75
    "http://www.metaspider.com/search?q=web+log+analyzer",
    "http://www.palavra.com.br/busca?palavra=web+log+analyzer",
    "http://search.metacrawler.com/crawler?general=web+log+analyzer",
    "http://www.molisearch.com/search?q=web+log+analyzer",
    "http://www.mynet.com/search?q=web+log+analyzer",  // 80
    "http://www.myownsearch.com/search?q=web+log+analyzer",
    "http://www.mysearch.com/jsp/GGmain.jsp?searchfor=web+log+analyzer",
    "http://www.nathan.de/suche?q=web+log+analyzer",
    "http://search.nbci.com/search?keyword=web+log+analyzer",
    "http://www.netking.com/search?q=web+log+analyzer",  // 85
    "http://www.netplaza.com/search?q=web+log+analyzer",
    "http://www.netseek.com/search?q=web+log+analyzer",
    "http://www.osite.com.br/busca?q=web+log+analyzer",
    "http://search.ocn.ne.jp/cgi-bin/search?MT=web+log+analyzer",
    "http://www.onekey.com/search?q=web+log+analyzer",  // 90
    "http://www.pathfinder.com/search?query=web+log+analyzer",
    "http://www.planetsearch.com/search?text=web+log+analyzer",
    "http://www.porta.de/suche?q=web+log+analyzer",
    "http://www.questfinder.com/search?s=web+log+analyzer",
    "http://www.radaruol.com.br/search?q=web+log+analyzer",  // 95
    "http://search.rambler.ru/srch?words=web+log+analyzer",
    "http://www.redesearch.com.br/busca?q=web+log+analyzer",
    "http://www.rex-skyline.de/suche?q=web+log+analyzer",
    "http://www.savvysearch.com/search?q=web+log+analyzer",
    "http://www.scrubtheweb.com/cgi-bin/search?keyword=web+log+analyzer",  // 100
    "http://www.searchalot.com/search?q=web+log+analyzer",
    "http://www.searchfuel.com/search?q=web+log+analyzer",
    "http://www.searchopolis.com/search?q=web+log+analyzer",
    "http://www.sharelook.com/search?q=web+log+analyzer",
    "http://www.sleuth.com/search?q=web+log+analyzer",  // 105
    "http://www.snap.com/search/directory/results?keyword=web+log+analyzer",
    "http://www.soneraplaza.fi/haku?q=web+log+analyzer",
    "http://www.splatsearch.com/search?q=web+log+analyzer",
    "http://www.spray.se/sok?string=web+log+analyzer",
    "http://www.starmedia.com/search?q=web+log+analyzer",  // 110
    "http://www.stpt.com/cgi-bin/pwr.cgi?query=web+log+analyzer",
    "http://www.supercrawler.com/search?q=web+log+analyzer",
    "http://www.surftrade.com/search?q=web+log+analyzer",
    "http://www.tapuz.co.il/search?q=web+log+analyzer",
    "http://search.thunderstone.com/texis/websearch/?q=web+log+analyzer",  // 115
    "http://www.ukmax.com/search?q=web+log+analyzer",
    "http://vivisimo.com/search?query=web+log+analyzer",
    "http://www.webwombat.com.au/search?q=web+log+analyzer",
    "http://www.walla.co.il/search?q=web+log+analyzer",
    "http://www.webcrawler.com/cgi-bin/WebQuery?searchText=web+log+analyzer",  // 120
    "http://www.webzone.com/search?q=web+log+analyzer",
    "http://www.whatsnu.com/search?q=web+log+analyzer",
    "http://www.widow.com/search?q=web+log+analyzer",
    "http://www.yandex.ru/yandsearch?text=web+log+analyzer",
    "http://sm.aport.ru/scripts/template.dll?r=web+log+analyzer",  // 125
    "http://www.zerx.com/search?q=web+log+analyzer",
    "http://www.teoma.com/search.asp?q=web+log+analyzer",
    "http://search.earthlink.net/search?q=web+log+analyzer",
    "http://www.wisenut.com/search/query.dll?q=web+log+analyzer",
    "http://www.gigablast.com/search?q=web+log+analyzer",  // 130
    "https://www.bing.com/search?q=web+log+analyzer&form=QBLH",
    "https://duckduckgo.com/?q=web+log+analyzer&t=h_",
    "https://www.baidu.com/s?wd=web%20log%20analyzer&ie=utf-8",
    "https://ya.ru/search/?text=web+log+analyzer&lr=213",
    "https://www.ecosia.org/search?method=index&q=web+log+analyzer",  // 135
    "https://www.qwant.com/?q=web+log+analyzer&t=web",
    "https://www.startpage.com/do/dsearch?query=web+log+analyzer&cat=web",
    "https://search.brave.com/search?q=web+log+analyzer&source=web",
    "https://search.naver.com/search.naver?where=nexearch&query=web+log+analyzer",
    "https://search.seznam.cz/?q=web+log+analyzer",  // 140
});

TEST(SearchEngineTable, EveryRowIsReachableByItsOwnSearchUrl) {
  ASSERT_EQ(kSamples.size(), static_cast<size_t>(EngineCount()));
  for (size_t row = 1; row < kSamples.size(); ++row) {
    const ReferrerInspection got = InspectReferrer(kSamples[row], "");
    EXPECT_EQ(got.engine, static_cast<int>(row)) << kSamples[row] << " filed under " << got.domain;
    EXPECT_EQ(got.kind, ReferrerKind::kSearchEngine) << kSamples[row];
    EXPECT_EQ(got.phrase.value_or("(none)"), "web log analyzer") << kSamples[row];
  }
}

// The domain search remembers its answers; fresh or remembered, it must be the first row one of
// whose hosts is part of the domain, as a plain scan of every host finds.
TEST(SearchEngineTable, DomainSearchFindsTheFirstRowHoldingAHostOfTheDomain) {
  const auto first_row_by_scan = [](std::string_view domain) {
    const std::span<const SearchEngineRow> rows = SearchEngineRows();
    for (size_t row = 1; row < rows.size(); ++row) {
      for (size_t i = 0; i < CountSet(rows[row].hosts); ++i) {
        if (domain.find(rows[row].hosts[i]) != std::string_view::npos) {
          return static_cast<int>(row);
        }
      }
    }
    return 0;
  };
  std::vector<std::string> domains = {"", "a", "example.org", "www.example.co.uk"};
  const std::span<const SearchEngineRow> rows = SearchEngineRows();
  for (size_t row = 1; row < rows.size(); ++row) {
    for (size_t i = 0; i < CountSet(rows[row].hosts); ++i) {
      const std::string host(rows[row].hosts[i]);
      domains.push_back(host);
      domains.push_back("www." + host + ".example");
      domains.push_back(host.substr(1));                   // loses its first pair
      domains.push_back(host.substr(0, host.size() - 1));  // loses its last pair
    }
  }
  for (int pass = 0; pass < 2; ++pass) {  // the second pass answers from the memo
    for (const std::string& domain : domains) {
      EXPECT_EQ(FindEngineByDomain(domain), first_row_by_scan(domain)) << domain;
    }
  }
}

}  // namespace
}  // namespace velmora
