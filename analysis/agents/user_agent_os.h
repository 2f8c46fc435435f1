// Which operating system a user agent names, from its lower-cased copy. The original tests never
// change: when the text has "win" anywhere, only the text from its first "win" on is read (so
// "darwin" is some Windows, and "win 9x 4.90" is Windows ME); otherwise the first of "mac",
// "freebsd", "linux", "unix" and "sunos" decides. Today's systems are recognised only by texts no
// original test names: "windows nt 6.0" to "10.0" among the Windows prefixes, and Android,
// iPhone/iPad/iPod and "; CrOS " ahead of the Mac and Linux tests that their user agents also
// satisfy. The result is never empty.
#pragma once

#include <string_view>

namespace velmora {

std::string_view OperatingSystemName(std::string_view lowered);

}  // namespace velmora
