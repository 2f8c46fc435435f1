// The on-disk name of a table file. Several files share one table name and differ only in their
// FileId, so the name on disk is a CRC of the table name's final component (with ".zeq",
// lower-cased) whose register starts at the complement of the FileId. Names that differ only in
// the case of their final component therefore name the same file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// CRC of `component` as the file name takes it: register starts at ~file_id, every byte is
// ASCII-lower-cased, the result is complemented. For FileId 0 this is CRC-32/BZIP2.
uint32_t TableNameCrc(std::string_view component, uint32_t file_id);

// `table_path` with ".zeq" appended and its final component (after the last '/') replaced by
// the lower-case hexadecimal TableNameCrc, without leading zeros. "db/Sessions", 0 ->
// "db/" + hex(CRC of "sessions.zeq"). The length limit is the caller's to check.
std::string HashedTableFileName(std::string_view table_path, uint32_t file_id);

}  // namespace velmora
