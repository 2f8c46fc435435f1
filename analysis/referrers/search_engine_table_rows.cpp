// The search-engine table as data. Host patterns are lower-case parts of each engine's host
// names; query markers are the parameters its result pages put the search term in, as they
// appear in the result URL ("?q=", "&q="), in the order they are tried. Engines that were known
// only by a domain name are given plain names here.
//
// Row numbers are stored in the database: never reorder, remove or insert rows; append.
#include <array>

#include "analysis/referrers/search_engine_table.h"

namespace velmora {
namespace {

using Row = SearchEngineRow;

constexpr std::array kRows = std::to_array<Row>({
    {},  // 0: no engine
    {"Yahoo", {"yahoo"}, {"?p=", "&p="}},
    {"Google", {"google", "216.239."}, {"?q=", "&q="}},
    {"All The Web", {"alltheweb"}, {"?q=", "&q="}},
    {"AltaVista", {"altavista", "magallanes"}, {"&r=", "?q=", "&q=", ";kw="}},
    {"Microsoft Network", {"msn"}, {"?q=", "&q=", "?MT=", "&MT="}},  // 5
    {"AOL NetFind",
     {"netfind", "americaonline", "aol"},
     {"&query=", "?query=", "&search=", "?search="}},
    {"Overture (GoTo)",
     {"overture", "goto.com"},
     {"?Keywords=", "&Keywords=", "?keywords=", "&keywords="}},
    {"Lycos", {"lycos"}, {"?query=", "&query=", "?qry="}},
    {"Ask Jeeves", {"ask.", "askjeeves.", "aj."}, {"?ask=", "&ask="}},
    {"dogpile", {"dogpile"}, {"search?q=", "&q="}},  // 10
    {"Netscape", {"netscape"}, {"?search=", "&search=", "&query="}},
    {"Northern Light", {"northernlight"}, {"?qr=", "&qr="}},
    {"dmoz", {"dmoz"}, {"?search=", "&search="}},
    {"Excite", {"excite"}, {"?search=", "&search=", "?qkw=", "&qkw="}},
    {"HotBot", {"hotbot"}, {"?MT=", "&MT=", "?query=", "&query="}},  // 15
    {"@meta", {"atmeta"}, {"?q=", "&q="}},
    {"@nifty", {"nifty"}, {"?Text=", "&Text="}},
    {"Abacho", {"abacho"}, {"?q=", "&q="}},
    {"About", {"about.com"}, {"?terms=", "&terms="}},
    {"Acoon", {"acoon"}, {"?begriff=", "&begriff="}},  // 20
    {"AdGuide", {"adguide"}, {"?query=", "&query="}},
    {"AdValvas", {"advalvas"}, {"?WORD=", "&SS=", "&PARAMETER1=", "?KeyWord?", "&NL&", "&VAR="}},
    {"Aladin", {"aladin"}, {"?q=", "&q="}},
    {"All4One", {"all4one"}, {"?query=", "&query="}},
    {"Ananzi", {"ananzi"}, {"?qt=", "&qt="}},  // 25
    {"Anzwers", {"anzwers"}, {"?q=", "&q="}},
    {"Aonde", {"aonde"}, {"?key=", "&key="}},
    {"Arabul", {"arabul"}, {"?q=", "&q="}},
    {"arama!com", {"arama.com"}, {"?q=", "&q="}},
    {"AskMe", {"askme"}, {"?q=", "&q="}},  // 30
    {"Bay9", {"bay9"}, {"?q=", "&q="}},
    {"Blue Window", {"bluewin"}, {"?qry=", "&qry="}},
    {"Business Week", {"businessweek"}, {"?query=", "&query="}},
    {"Cade", {"cade.com.br"}, {"?query=", "&query="}},
    {"CMPNet", {"cmpnet"}, {"?query=", "&query="}},  // 35
    {"CNET", {"cnet"}, {"QUERY=", "OLDQUERY=", "?what=", "?q="}},
    {"CompuServe",
     {"compuserve", "websearch"},
     {"?sTerm=", "&sTerm=", "?q=", "&q=", "?query=", "&query="}},
    {"Coolibii", {"coolibii"}, {"?q=", "&q="}},
    {"Crawler", {"crawler.de"}, {"?q=", "&q="}},
    {"Deja News", {"deja"}, {"?QRY=", "&QRY="}},  // 40
    {"DirectHit", {"directhit"}, {"?qry=", "&qry="}},
    {"Ditto", {"ditto"}, {"?ss=", "&ss="}},
    {"eBlast", {"eblast"}, {"?query=", "&query="}},
    {"Euroseek", {"euroseek"}, {"?query=", "&query="}},
    {"Entireweb", {"entireweb"}, {"?q=", "&q="}},  // 45
    {"Evreka", {"evreka"}, {"?q=", "&q="}},
    {"Exalead", {"exalead"}, {"?q=", "&q="}},
    {"FindAll", {"findall"}, {"?query=", "&query="}},
    {"FindWhat", {"findwhat"}, {"?mt=", "&mt="}},
    {"Fireball", {"fireball"}, {"?query=", "&query="}},  // 50
    {"Fresh Eye", {"fresheye"}, {"?kw=", "&kw="}},
    {"Galaxy", {"galaxy"}, {"?query=", "&query="}},
    {"Gee-Wiz", {"geewiz"}, {"?q=", "&q="}},
    {"Global Media", {"globalmedia"}, {"?q=", "&q="}},
    {"Go2Net", {"go2net"}, {"?general=", "&general=", "?q=", "&q="}},  // 55
    {"Goo", {"goo.ne.jp"}, {"?MT=", "&MT="}},
    {"GoToWorld", {"gotoworld"}, {"?q=", "&q="}},
    {"Guia -til", {"guiautil"}, {"?q=", "&q="}},
    {"HotLinks", {"hotlinks"}, {"?q=", "&q="}},
    {"iWon", {"iwon"}, {"?searchfor=", "&searchfor=", "?q=", "&q="}},  // 60
    {"iNET Guide", {"inetguide"}, {"?q=", "&q="}},
    {"InfoSeek", {"infoseek"}, {"?qt=", "&qt=", "?oq=", "&oq="}},
    {"InfoSpace", {"infospace"}, {"?qkw=", "&qkw="}},
    {"Ignifuge", {"ignifuge"}, {"?query=", "&query="}},
    {"ISIZE", {"isize"}, {"?q=", "&q="}},  // 65
    {"IXQuick", {"ixquick"}, {"?query=", "&query="}},
    {"Kanoodle", {"kanoodle"}, {"?query=", "&query="}},
    {"Lawcrawler", {"lawcrawler"}, {"?q=", "&q="}},
    {"Links 2 Go", {"links2go"}, {"?query=", "&query="}},
    {"Look Smart", {"looksmart"}, {"?key=", "&key=", "?qt=", "&qt="}},  // 70
    {"MegaSpider", {"megaspider"}, {"?"}},
    {"Magellan", {"magellan"}, {"?search=", "&search="}},
    {"Mamma", {"mamma"}, {"?query=", "&query="}},
    {"Matilda", {"matilda"}, {"?q=", "&q="}},
    {"Metagopher", {"metagopher"}, {"?q=", "&q="}},  // 75
    {"MetaSpider", {"metaspider"}, {"?q=", "&q="}},
    {"palavra", {"palavra"}, {"?palavra=", "&palavra="}},
    {"metacrawler", {"metacrawler"}, {"?general=", "&general=", "?q=", "&q="}},
    {"Molisearch", {"molisearch"}, {"?q=", "&q="}},
    {"MyNet", {"mynet"}, {"?q=", "&q="}},  // 80
    {"MyOwnSearch", {"myownsearch"}, {"?q=", "&q="}},
    {"MySearch", {"mysearch"}, {"?searchfor=", "&searchfor="}},
    {"Nathan", {"nathan"}, {"?q=", "&q="}},
    {"NBCi", {"nbci"}, {"?keyword=", "&keyword="}},
    {"NetKing", {"netking"}, {"?q=", "&q="}},  // 85
    {"NetPlaza", {"netplaza"}, {"?q=", "&q="}},
    {"NetSeek", {"netseek"}, {"?q=", "&q="}},
    {"O Site", {"osite"}, {"?q=", "&q="}},
    {"OCNnavi", {"ocn.ne.jp"}, {"?MT=", "&MT="}},
    {"OneKey", {"onekey"}, {"?q=", "&q="}},  // 90
    {"Pathfinder", {"pathfinder"}, {"?query=", "&query="}},
    {"PlanetSearch", {"planetsearch"}, {"?text=", "&text="}},
    {"Porta", {"porta."}, {"?q=", "&q="}},
    {"Quest Finder", {"questfinder"}, {"?s=", "&s="}},
    {"Radar UOL", {"radaruol"}, {"?q=", "&q="}},  // 95
    {"Rambler", {"rambler"}, {"?words=", "&words=", "?query=", "&query="}},
    {"RedeSearch", {"redesearch"}, {"?q=", "&q="}},
    {"REX Skyline", {"skyline"}, {"?q=", "&q="}},
    {"Savvy Search", {"savvysearch"}, {"?q=", "&q="}},
    {"Scrub the Web", {"scrubtheweb"}, {"?keyword=", "&keyword="}},  // 100
    {"Searchalot", {"searchalot"}, {"?q=", "&q="}},
    {"SearchFuel", {"searchfuel"}, {"?q=", "&q="}},
    {"Searchopolis", {"searchopolis"}, {"?q=", "&q="}},
    {"ShareLook", {"sharelook"}, {"?q=", "&q="}},
    {"Sleuth", {"sleuth"}, {"?q=", "&q="}},  // 105
    {"Snap", {"snap.com"}, {"?keyword=", "&keyword="}},
    {"Sonera Plaza", {"soneraplaza"}, {"?q=", "&q="}},
    {"SplatSearch", {"splatsearch"}, {"?q=", "&q="}},
    {"Spray", {"spray"}, {"string="}},
    {"Star Media", {"starmedia"}, {"?q=", "&q="}},  // 110
    {"Starting Point", {"stpt", "startingpoint"}, {"?query=", "&query="}},
    {"SuperCrawler", {"supercrawler"}, {"?q=", "&q="}},
    {"SurfTrade", {"surftrade"}, {"?q=", "&q="}},
    {"Tapuz", {"tapuz"}, {"?q=", "&q="}},
    {"Thunderstone",
     {"thunderstone"},
     {"?q=", "?arg=", "&query=", "?query=", "&q=", "&arg="}},  // 115
    {"UK Max", {"ukmax"}, {"?q=", "&q="}},
    {"Vivisimo", {"vivisimo"}, {"?query=", "&query="}},
    {"Web Wombat", {"webwombat"}, {"?q=", "&q="}},
    {"Walla", {"walla"}, {"?q=", "&q="}},
    {"WebCrawler", {"webcrawler"}, {"?searchText=", "&searchText="}},  // 120
    {"WebZone", {"webzone"}, {"?q=", "&q="}},
    {"What's New Too", {"whatsnu"}, {"?q=", "&q="}},
    {"Widow", {"widow"}, {"?q=", "&q="}},
    {"Yandex", {"yandex"}, {"?text=", "&text="}},
    {"Aport", {"aport."}, {"?r=", "&r="}},  // 125
    {"Zerx", {"zerx"}, {"?q=", "&q="}},
    {"Teoma", {"teoma"}, {"?q=", "&q="}},
    {"EarthLink", {"earthlink"}, {"?q=", "&q="}},
    {"WiseNut", {"wisenut"}, {"?q=", "&q="}},
    {"Gigablast", {"gigablast"}, {"?q=", "&q="}},  // 130

    // Today's engines (rows 131 on). Yandex's own domains stay with row 124.
    {"Bing", {"bing.com"}, {"?q=", "&q="}},
    {"DuckDuckGo", {"duckduckgo"}, {"?q=", "&q="}},
    {"Baidu", {"baidu"}, {"?wd=", "&wd=", "?word=", "&word="}},
    {"Yandex", {"ya.ru"}, {"?text=", "&text="}},
    {"Ecosia", {"ecosia"}, {"?q=", "&q="}},  // 135
    {"Qwant", {"qwant"}, {"?q=", "&q="}},
    {"Startpage", {"startpage"}, {"?query=", "&query=", "?q=", "&q="}},
    {"Brave Search", {"search.brave"}, {"?q=", "&q="}},
    {"Naver", {"naver"}, {"?query=", "&query="}},
    {"Seznam", {"seznam"}, {"?q=", "&q="}},  // 140
});

}  // namespace

std::span<const SearchEngineRow> SearchEngineRows() { return kRows; }

}  // namespace velmora
