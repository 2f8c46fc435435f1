// ASCII-only case mapping and comparison. Texts are bytes in whatever encoding their log or file
// uses; only A-Z and a-z change case, so results never depend on the process locale.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// The value of a hexadecimal digit (either case); -1 for any other character.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AsciiLowerInPlace(std::string& s);
void AsciiUpperInPlace(std::string& s);
std::string AsciiLowered(std::string_view s);
std::string AsciiUppered(std::string_view s);
bool AsciiEqualsIgnoreCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, comparing lower-cased unsigned bytes.
int AsciiCompareIgnoreCase(std::string_view a, std::string_view b);

}  // namespace velmora
