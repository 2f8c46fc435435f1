// The requests sent to the companion are built byte for byte as it reads them, with exactly the
// characters that cannot stand raw escaped; its list reply's first line and the server names of
// the settings are read as users write them.
#include "retrieval/fetchlet_protocol.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(FetchletRequestTest, BuildsTheTargetsExactly) {
  struct Case {
    std::string built, expected;
  } cases[] = {
      {FetchletListRequest("/cgi-bin/fl.dll", 30, true, "/logs"), "/cgi-bin/fl.dll?dir&30&1&/logs"},
      {FetchletListRequest("/logs/fl.php", 9999, false, "/logs/"),
       "/logs/fl.php?dir&9999&0&/logs/"},
      {FetchletGetRequest("/cgi-bin/fl.dll", "ex021205.log", "/logs"),
       "/cgi-bin/fl.dll?get&ex021205.log&/logs"},
      {FetchletGetRequest("/fl.php", "w3svc1/ex0212-05_a.log", "/"),
       "/fl.php?get&w3svc1/ex0212-05_a.log&/"},
      // Characters that would end the target, start a fragment or read as an escape.
      {FetchletGetRequest("/fl.php", "my log #1 100%.log", "/my logs"),
       "/fl.php?get&my%20log%20%231%20100%25.log&/my%20logs"},
      {FetchletGetRequest("/fl.php", "caf\xc3\xa9\t\x7f.log", "/l\"<>\\^`{|}[]"),
       "/fl.php?get&caf%C3%A9%09%7F.log&/l%22%3C%3E%5C%5E%60%7B%7C%7D%5B%5D"},
      {FetchletGetRequest("/fl.php", "a\r\nHost: evil", "/"), "/fl.php?get&a%0D%0AHost:%20evil&/"},
      // Characters a request target carries raw stay as they are.
      {FetchletGetRequest("/fl.php", "a~!$'()*+,;=:@?.log", "/"),
       "/fl.php?get&a~!$'()*+,;=:@?.log&/"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.built, c.expected);
}

TEST(FetchletListTest, ReadsTheFirstLine) {
  struct Case {
    std::string body;
    bool ok;
    std::string first_line, entries;
  } cases[] = {
      {"OK\n", true, "OK", ""},
      {"OK\r\na.log\r\nb.log\r\n", true, "OK", "\na.log\r\nb.log\r\n"},
      {"ok\nlogs/a.log", true, "ok", "logs/a.log"},
      {"\r\n  Ok  \ra.log", true, "Ok", "a.log"},
      {"OKAY\na.log", true, "OKAY", "a.log"},
      {"Error: there is no such log folder\nOK\n", false, "Error: there is no such log folder", ""},
      {"O", false, "O", ""},
      {"", false, "", ""},
      {"\x1b]0;owned\x07 denied\n", false, "?]0;owned? denied", ""},
      {std::string(2000, 'x') + "\nOK\n", false, std::string(1024, 'x'), ""},
  };
  for (const Case& c : cases) {
    const FetchletList list = ReadFetchletList(c.body);
    EXPECT_EQ(list.ok, c.ok) << c.body;
    EXPECT_EQ(list.first_line, c.first_line) << c.body;
    EXPECT_EQ(list.entries, c.entries) << c.body;
  }
}

TEST(ServerNameTest, ReadsSchemeHostAndPort) {
  struct Case {
    const char* name;
    std::string host;
    int port;
    bool tls;
  } cases[] = {
      {"www.example.com", "www.example.com", 80, false},
      {"www.example.com:8080", "www.example.com", 8080, false},
      {"http://www.example.com/", "www.example.com", 80, false},
      {"HTTPS://secure.example.com", "secure.example.com", 443, true},
      {"https://secure.example.com:8443/cgi-bin", "secure.example.com", 8443, true},
      {"[::1]:8080", "[::1]", 8080, false},
      {"[::1]", "[::1]", 80, false},
      {"www.example.com:http", "", 80, false},
      {"www.example.com:70000", "", 80, false},
      {"https://", "", 443, true},
      {"", "", 80, false},
  };
  for (const Case& c : cases) {
    const HttpEndpoint endpoint = ParseServerName(c.name, 80);
    EXPECT_EQ(endpoint.host, c.host) << c.name;
    if (!c.host.empty()) {
      EXPECT_EQ(endpoint.port, c.port) << c.name;
      EXPECT_EQ(endpoint.tls, c.tls) << c.name;
    }
  }
}

}  // namespace
}  // namespace velmora
