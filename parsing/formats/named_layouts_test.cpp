#include "parsing/formats/named_layouts.h"

#include <gtest/gtest.h>

#include <memory>

namespace velmora {
namespace {

TEST(NamedLayoutsTest, ClientAddressesLoseTheirPort) {
  const struct {
    std::string_view logged;
    std::string_view address;
  } cases[] = {
      {"203.0.113.51:40022", "203.0.113.51"},
      {"[2001:db8::9]:40000", "2001:db8::9"},
      {"2001:db8::9:40000", "2001:db8::9"},
      {"192.0.2.1", "192.0.2.1"},
      {"-", "-"},
      {"[]:1", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AddressWithoutPort(c.logged), c.address) << c.logged;
}

// A value of the wrong type counts as absent; the line is still a request when it names a method
// and a target.
TEST(NamedLayoutsTest, JsonValuesOfTheWrongTypeAreAbsent) {
  auto record = std::make_unique<LogRecord>();
  record->Reset();
  ASSERT_TRUE(ParseCaddyJsonLine(
      "{\"ts\":\"x\",\"request\":{\"method\":\"GET\",\"uri\":\"/a?b\",\"client_ip\":7,"
      "\"headers\":{\"User-Agent\":\"curl\"}},\"status\":\"200\",\"size\":-3,\"duration\":1e300}",
      *record));
  EXPECT_EQ(record->uri_stem.view(), "/a");
  EXPECT_EQ(record->query.view(), "b");
  EXPECT_EQ(record->client_host.view(), "");
  EXPECT_EQ(record->user_agent.view(), "curl");
  EXPECT_EQ(record->status, 0);
  EXPECT_EQ(record->bytes_sent, 0);
  EXPECT_EQ(record->time_taken, INT32_MAX);
  EXPECT_EQ(record->time, 0u);
  for (const char* line : {"", "{", "[1]", "{\"request\":{\"method\":\"GET\"}}",
                           "{\"RequestMethod\":\"GET\",\"RequestPath\":\"\"}"}) {
    record->Reset();
    EXPECT_FALSE(ParseCaddyJsonLine(line, *record)) << line;
    EXPECT_FALSE(ParseTraefikJsonLine(line, *record)) << line;
  }
}

}  // namespace
}  // namespace velmora
