#include "ui/web/request_guard.h"

#include <gtest/gtest.h>

namespace velmora::web {
namespace {

constexpr std::string_view kToken =
    "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
constexpr int kPort = 4321;

struct Case {
  const char* what;
  RequestFacts request;
  bool allowed;
};

RequestFacts Api(std::string_view method = "GET") {
  return {method, "/api/state", "127.0.0.1:4321", "", "", kToken, "", "", false};
}

RequestFacts With(RequestFacts facts, void (*change)(RequestFacts&)) {
  change(facts);
  return facts;
}

TEST(RequestGuardTest, AllowsOnlyThePageItselfWithTheToken) {
  const Case cases[] = {
      {"API call with the header token", Api(), true},
      {"POST with the header token", Api("POST"), true},
      {"localhost in any case", With(Api(), [](RequestFacts& f) { f.host = "LocalHost:4321"; }),
       true},
      {"same-origin fetch",
       With(Api("POST"),
            [](RequestFacts& f) {
              f.origin = "http://127.0.0.1:4321";
              f.fetch_site = "same-origin";
            }),
       true},
      {"GET with the query token",
       With(Api(),
            [](RequestFacts& f) {
              f.header_token = "";
              f.query_token = kToken;
            }),
       true},
      {"static file without token",
       With(Api(),
            [](RequestFacts& f) {
              f.header_token = "";
              f.static_file = true;
            }),
       true},
      {"no token", With(Api(), [](RequestFacts& f) { f.header_token = ""; }), false},
      {"wrong token", With(Api(), [](RequestFacts& f) { f.header_token = "00"; }), false},
      {"token one character short",
       With(Api(), [](RequestFacts& f) { f.header_token = kToken.substr(1); }), false},
      {"POST with the query token only",
       With(Api("POST"),
            [](RequestFacts& f) {
              f.header_token = "";
              f.query_token = kToken;
            }),
       false},
      {"POST to a static file", With(Api("POST"), [](RequestFacts& f) { f.static_file = true; }),
       false},
      {"another method", Api("DELETE"), false},
      {"rebinding host name", With(Api(), [](RequestFacts& f) { f.host = "evil.example:4321"; }),
       false},
      {"another port", With(Api(), [](RequestFacts& f) { f.host = "127.0.0.1:80"; }), false},
      {"no Host", With(Api(), [](RequestFacts& f) { f.host = ""; }), false},
      {"host with a prefix", With(Api(), [](RequestFacts& f) { f.host = "x127.0.0.1:4321"; }),
       false},
      {"foreign origin", With(Api(), [](RequestFacts& f) { f.origin = "http://evil.example"; }),
       false},
      {"https origin of the same host",
       With(Api(), [](RequestFacts& f) { f.origin = "https://127.0.0.1:4321"; }), false},
      {"null origin", With(Api(), [](RequestFacts& f) { f.origin = "null"; }), false},
      {"cross-site fetch", With(Api(), [](RequestFacts& f) { f.fetch_site = "cross-site"; }),
       false},
      {"static file from another host",
       With(Api(),
            [](RequestFacts& f) {
              f.static_file = true;
              f.host = "evil.example:4321";
            }),
       false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RequestAllowed(c.request, kToken, kPort), c.allowed) << c.what;
  }
}

// An exported page, opened from a link, has nothing but the cookie; the cookie opens nothing else.
TEST(RequestGuardTest, TheTokenCookieOpensExportedFilesOnly) {
  const auto by_cookie = [](std::string_view method, std::string_view path) {
    RequestFacts facts = Api(method);
    facts.path = path;
    facts.header_token = "";
    facts.cookie_token = kToken;
    return facts;
  };
  const Case cases[] = {
      {"an exported page", by_cookie("GET", "/export/All Reports.htm"), true},
      {"its picture", by_cookie("GET", "/export/All Reports.files/0.gif"), true},
      {"the API", by_cookie("GET", "/api/state"), false},
      {"a change", by_cookie("POST", "/api/remove-all"), false},
      {"a POST to an exported page", by_cookie("POST", "/export/x.htm"), false},
      {"a path that only starts alike", by_cookie("GET", "/exported/x.htm"), false},
      {"a wrong cookie",
       With(by_cookie("GET", "/export/x.htm"), [](RequestFacts& f) { f.cookie_token = "0"; }),
       false},
      {"an exported page from another site",
       With(by_cookie("GET", "/export/x.htm"),
            [](RequestFacts& f) { f.fetch_site = "cross-site"; }),
       false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RequestAllowed(c.request, kToken, kPort), c.allowed) << c.what;
  }
}

TEST(RequestGuardTest, FindsTheTokenCookieOfItsOwnPort) {
  const struct {
    std::string_view header;
    std::string_view token;
  } cases[] = {
      {"velmora-token-4321=abc", "abc"},
      {"a=1; velmora-token-4321=abc; b=2", "abc"},
      {"velmora-token-4322=abc", ""},
      {"velmora-token-43210=abc", ""},
      {"", ""},
      {"velmora-token-4321", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(TokenCookie(c.header, kPort), c.token) << c.header;
}

TEST(RequestGuardTest, TokensAreLongHexAndDiffer) {
  const std::string a = NewToken();
  const std::string b = NewToken();
  EXPECT_EQ(a.size(), 64u);
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace velmora::web
