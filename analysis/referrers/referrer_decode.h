// URL decoding of referrer texts (domains and search terms): "%" and two characters give the
// byte with those hexadecimal digits, a character that is not a hexadecimal digit counting as 0;
// "%%" gives "%"; '+' gives a space.
//
// Decoding never reads or writes past its text: a "%" with fewer than two characters after it
// stays as it is. Texts are NUL-terminated where they are stored, so a decoded NUL ("%00") ends
// the result there.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

std::string DecodeUrlText(std::string_view text);

}  // namespace velmora
