#include "core/ascii.h"

namespace velmora {

void AsciiLowerInPlace(std::string& s) {
  for (char& c : s) c = AsciiLower(c);
}
void AsciiUpperInPlace(std::string& s) {
  for (char& c : s) c = AsciiUpper(c);
}
std::string AsciiLowered(std::string_view s) {
  std::string out(s);
  AsciiLowerInPlace(out);
  return out;
}
std::string AsciiUppered(std::string_view s) {
  std::string out(s);
  AsciiUpperInPlace(out);
  return out;
}
bool AsciiEqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiCompareIgnoreCase(a, b) == 0;
}
int AsciiCompareIgnoreCase(std::string_view a, std::string_view b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
    const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace velmora
