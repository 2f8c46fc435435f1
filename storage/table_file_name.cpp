#include "storage/table_file_name.h"

#include <cstdio>

#include "core/ascii.h"
#include "core/crc32.h"
#include "storage/table_format.h"

namespace velmora {

uint32_t TableNameCrc(std::string_view component, uint32_t file_id) {
  uint32_t reg = ~file_id;
  for (char c : component) reg = CrcStep(reg, static_cast<uint8_t>(AsciiLower(c)));
  return ~reg;
}

std::string HashedTableFileName(std::string_view table_path, uint32_t file_id) {
  std::string name(table_path);
  name += table_format::kNameExtension;
  const size_t slash = name.find_last_of('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  char hex[9];
  std::snprintf(hex, sizeof hex, "%x", TableNameCrc(std::string_view(name).substr(start), file_id));
  name.resize(start);
  name += hex;
  return name;
}

}  // namespace velmora
