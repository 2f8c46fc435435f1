// Which browser a user agent names. The original chain of substring tests (Opera, AOL, HTTrack,
// MSIE, then Netscape and Mozilla by the version digits after "mozilla") never changes, quirks
// included, so every text it names always gets the same name. Today's browsers are recognised
// between the MSIE tests and the Mozilla chain, and only by their own product tokens ("Edg/",
// "OPR/", "Chrome/", ...), which no browser of the original chain carries. Texts that nothing
// recognises are named by their product token.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The browser name of a user agent: `logged` is the text as logged, `lowered` its lower-cased
// copy (same length). May be empty (a text that starts with '/').
std::string BrowserName(std::string_view logged, std::string_view lowered);

// The fallback alone: "Unknown" for a text of capital letters A to Z only, else the product
// token (the text before the first '/', shortened by a '(' that comes earlier, or before the
// first space when there is no '/').
std::string ProductToken(std::string_view logged);

}  // namespace velmora
