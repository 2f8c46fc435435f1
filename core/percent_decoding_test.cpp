#include "core/percent_decoding.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(PercentDecoding, DecodesWholeShowableCharactersAndKeepsEverythingElse) {
  struct Case {
    std::string_view logged;
    std::string_view shown;
  } const cases[] = {
      {"/caf%C3%A9", "/caf\xC3\xA9"},
      {"/caf%c3%a9/menu", "/caf\xC3\xA9/menu"},
      {"/%E6%97%A5%E6%9C%AC", "/\xE6\x97\xA5\xE6\x9C\xAC"},
      {"/%F0%9F%98%80", "/\xF0\x9F\x98\x80"},
      {"/a%20b+c", "/a b+c"},
      {"100%25", "100%"},
      {"/plain", "/plain"},
      {"", ""},
      // Not whole or not allowed: kept as escapes.
      {"/%C3", "/%C3"},                    // a character cut short
      {"/%C3%", "/%C3%"},                  // and a lone '%'
      {"/%E6%97", "/%E6%97"},              // two of three bytes
      {"/%A9x", "/%A9x"},                  // a continuation byte alone
      {"/%C0%AF", "/%C0%AF"},              // overlong '/'
      {"/%ED%A0%80", "/%ED%A0%80"},        // a surrogate
      {"/%F4%90%80%80", "/%F4%90%80%80"},  // past U+10FFFF
      {"/a%0Ab%00c%7F", "/a%0Ab%00c%7F"},  // control characters
      {"/%C2%85", "/%C2%85"},              // a C1 control character
      {"/%E9t%C3%A9", "/%E9t\xC3\xA9"},    // Latin-1 beside UTF-8
      {"/%C3%A9%C3", "/\xC3\xA9%C3"},      // the whole part of a run is decoded
      {"/%zz%4", "/%zz%4"},                // not escapes at all
      {"/raw\xC3\xA9", "/raw\xC3\xA9"},    // raw bytes pass as logged
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodePercentForDisplay(c.logged), c.shown) << c.logged;
  }
}

}  // namespace
}  // namespace velmora
