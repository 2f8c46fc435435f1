// User-agent classification: the browser, the operating system and the lower-cased copy that
// spider recognition reads. The request processor runs it once per distinct user-agent text
// and stores the answers; nothing here keeps state.
//
// Texts are bytes. Only the first 2,048 characters count (a log record holds no more), and a
// text ends at its first NUL, as it would when stored.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

inline constexpr size_t kMaxUserAgentLength = 2048;

struct UserAgentClass {
  std::string lowered;  // A-Z mapped to a-z, every other byte unchanged
  std::string browser;  // may be empty (a text starting with '/')
  std::string os;       // never empty ("Unknown" at worst)
};

// Classifies a user agent as logged (with '+' already turned into spaces).
UserAgentClass ClassifyUserAgent(std::string_view text);

// What `velmora inspect ua` shows for one text.
struct UserAgentInspection {
  std::string browser;
  std::string os;
  int spider = -1;          // row of the spider list, -1 for a human visitor
  std::string spider_name;  // empty for a human visitor
};

// Classification and spider recognition of `text` as a log line would deliver it: cut at 2,048
// characters and with every '+' turned into a space, as record completion does.
UserAgentInspection InspectUserAgent(std::string_view text);

}  // namespace velmora
