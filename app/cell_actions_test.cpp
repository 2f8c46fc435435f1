#include "app/cell_actions.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

TEST(CellActions, AddressesGetTheirActions) {
  using V = std::vector<std::string_view>;
  const V whois = {"whois-arin", "whois-ripe", "whois-apnic", "whois-lacnic", "copy"};
  const struct {
    std::string_view text;
    V actions;
  } cases[] = {
      {"81.2.69.160", whois},
      {"0.0.0.0", whois},
      {"255.255.255.255", whois},
      {"256.1.1.1", {"copy"}},
      {"1.2.3", {"copy"}},
      {"1.2.3.4.5", {"copy"}},
      {"1.2.3.4 ", {"copy"}},
      {"0001.2.3.4", {"copy"}},
      {"http://example.com/", {"open", "copy"}},
      {"https://example.com/", {"open", "copy"}},
      {"ftp://example.com/", {"open", "copy"}},
      {"javascript:alert(1)", {"copy"}},
      {"", {"copy"}},
  };
  for (const auto& c : cases) EXPECT_EQ(CellActions(c.text), c.actions) << c.text;
}

TEST(CellActions, WhoisQueriesComeFromThePreferences) {
  velmora::testing::TempDir dir;
  Preferences preferences(dir / "preferences.ini");
  const WhoisRegistry& ripe = WhoisRegistries()[1];
  EXPECT_EQ(WhoisQueryUrl(preferences, ripe, "81.2.69.160"),
            "https://apps.db.ripe.net/db-web-ui/query?searchtext=81.2.69.160");
  preferences.Set(kWhoisSection, "RIPE", "https://whois.example/?q=");
  EXPECT_EQ(WhoisQueryUrl(preferences, ripe, "81.2.69.160"),
            "https://whois.example/?q=81.2.69.160");
}

}  // namespace
}  // namespace velmora
