// The names of log layouts as a user reads them: what "velmora inspect detect" says it found. A
// candidate format is named by its layout, with the number of fields its lines carry after it
// ("NCSA combined + 1 field"); any other format string is a custom format.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// The number of fields in `extras`, the text after a layout's last field: words apart at blanks
// and tabs, a field that opens with a double quote running to its closing quote (blanks and
// backslash-escaped quotes included). Only the first 2,048 characters are looked at.
int CountExtraFields(std::string_view extras);

// The layout of `format_string`, with the extra fields of `sample_line` (a line it matches) when
// the format ends in "%W%j", the fields appended to a layout.
std::string LayoutName(std::string_view format_string, std::string_view sample_line);

// The layout of a W3C Extended file from its "#Fields:" line: CloudFront names its own columns.
std::string W3cLayoutName(std::string_view fields_line);

}  // namespace velmora
