#include "parsing/run/log_positions.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/crc32.h"
#include "core/workspace_layout.h"
#include "parsing/readers/log_reader.h"

namespace velmora {
namespace {

bool ReadNumber(std::string_view& text, uint64_t& value) {
  const size_t tab = text.find('\t');
  if (tab == std::string_view::npos) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + tab, value);
  if (ec != std::errc() || end != text.data() + tab) return false;
  text.remove_prefix(tab + 1);
  return true;
}

}  // namespace

std::optional<FileHead> ReadFileHead(const std::string& path, uint32_t length) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<char> bytes(length);
  in.read(bytes.data(), length);
  const auto got = static_cast<uint32_t>(in.gcount());
  return FileHead{got, Crc32Bzip2(std::string_view(bytes.data(), got))};
}

LogPositions LogPositions::Load(const std::string& path) {
  LogPositions positions;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    std::string_view text = line;
    uint64_t consumed = 0, size = 0, head_length = 0, head_crc = 0;
    if (!ReadNumber(text, consumed) || !ReadNumber(text, size) || !ReadNumber(text, head_length) ||
        !ReadNumber(text, head_crc) || text.empty() || head_length > UINT32_MAX ||
        head_crc > UINT32_MAX) {
      continue;
    }
    positions.entries_[std::string(text)] = {consumed, size, static_cast<uint32_t>(head_length),
                                             static_cast<uint32_t>(head_crc)};
  }
  return positions;
}

Status LogPositions::Save(const std::string& path) const {
  std::ostringstream out;
  for (const auto& [name, p] : entries_) {
    out << p.consumed << '\t' << p.size << '\t' << p.head_length << '\t' << p.head_crc << '\t'
        << name << '\n';
  }
  const std::string temp = path + ".tmp";
  {
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file.flush()) return Error{0, "cannot write " + temp};
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) return Error{0, "cannot write " + path};
  return {};
}

const LogPosition* LogPositions::Find(std::string_view name) const {
  const auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

bool LogPositions::HasMoreToRead(const std::string& folder, std::string_view name) const {
  const LogPosition* known = Find(name);
  if (known == nullptr) return false;
  const std::string path = WorkspacePath(folder, name);
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return false;
  // The same size: only a last line that had no line end yet is left to read (of a plain file,
  // whose content is its bytes).
  return size != known->size ||
         (LogReaderKindOfFile(path) == LogReaderKind::kPlain && known->consumed < size);
}

void LogPositions::Set(std::string_view name, const LogPosition& position) {
  if (name.empty() || name.find_first_of("\t\r\n") != std::string_view::npos) return;
  entries_.insert_or_assign(std::string(name), position);
}

}  // namespace velmora
