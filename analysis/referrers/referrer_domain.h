// The domain a referrer is filed under: the host part of its URL, lower-cased, without a leading
// "www." and trailing spaces or dots, URL-decoded. Local files ("file...", "res:..."), texts
// without "//" after their first '/', and an empty host are all "[Direct Request]".
#pragma once

#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kDirectRequestDomain = "[Direct Request]";

std::string ExtractReferrerDomain(std::string_view referrer);

}  // namespace velmora
