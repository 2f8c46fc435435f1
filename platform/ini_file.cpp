// Text form of the preferences file:
//
//   name=value              entries before any header belong to the unnamed section
//   [Section Name]
//   name=value
//
// Names and values are escaped so that any bytes round-trip: "\\" for a backslash, "\n" and
// "\r" for line breaks, "\t" for a tab, "\s" for a space at either end (lines are trimmed when
// read, so hand-edited files may indent), and a backslash before any character that would
// otherwise be read as syntax: '=' in a name, ']' in a section name, and '[', ';' or '#' opening
// a name. Reading accepts a backslash before any character as that character. Lines that are
// neither a header nor hold an '=' are skipped, as are ';' and '#' comments.
#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <unordered_map>
#include <utility>

#include "core/ascii.h"
#include "platform/sys_error.h"

namespace velmora {
namespace {

enum class Field : uint8_t { kSection, kName, kValue };

std::string Escape(std::string_view text, Field field) {
  std::string out;
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool at_end = i == 0 || i + 1 == text.size();
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case ' ':
        out += at_end ? "\\s" : " ";
        break;
      default: {
        const bool syntax = (field == Field::kName && c == '=') ||
                            (field == Field::kSection && c == ']') ||
                            (field == Field::kName && i == 0 && (c == '[' || c == ';' || c == '#'));
        if (syntax) out += '\\';
        out += c;
      }
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    switch (c) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 's':
        out += ' ';
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

// Position of the first '=' not preceded by an escaping backslash, or npos.
size_t FindSeparator(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=') {
      return i;
    }
  }
  return std::string_view::npos;
}

Error SystemError(int code) { return Error{code, SystemErrorText(code)}; }

Status WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return SystemError(errno);
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return {};
}

}  // namespace

IniFile::Section* IniFile::FindSection(std::string_view name) {
  for (Section& s : sections_) {
    if (AsciiEqualsIgnoreCase(s.name, name)) return &s;
  }
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  for (const Section& s : sections_) {
    if (AsciiEqualsIgnoreCase(s.name, name)) return &s;
  }
  return nullptr;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view name) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  for (const Entry& e : s->entries) {
    if (AsciiEqualsIgnoreCase(e.name, name)) return e.value;
  }
  return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view name, std::string_view value) {
  Section* s = FindSection(section);
  if (s == nullptr) {
    sections_.push_back(Section{std::string(section), {}});
    s = &sections_.back();
  }
  for (Entry& e : s->entries) {
    if (AsciiEqualsIgnoreCase(e.name, name)) {
      e.value = value;  // the name keeps the spelling it was stored with
      return;
    }
  }
  s->entries.push_back(Entry{std::string(name), std::string(value)});
}

void IniFile::Remove(std::string_view section, std::string_view name) {
  Section* s = FindSection(section);
  if (s == nullptr) return;
  std::erase_if(s->entries, [&](const Entry& e) { return AsciiEqualsIgnoreCase(e.name, name); });
  if (s->entries.empty()) RemoveSection(section);
}

void IniFile::RemoveSection(std::string_view section) {
  std::erase_if(sections_,
                [&](const Section& s) { return AsciiEqualsIgnoreCase(s.name, section); });
}

std::vector<std::string> IniFile::Names(std::string_view section) const {
  std::vector<std::string> names;
  if (const Section* s = FindSection(section)) {
    for (const Entry& e : s->entries) names.push_back(e.name);
  }
  return names;
}

std::string IniFile::Serialize() const {
  std::string out;
  auto write_entries = [&out](const Section& s) {
    for (const Entry& e : s.entries) {
      out += Escape(e.name, Field::kName);
      out += '=';
      out += Escape(e.value, Field::kValue);
      out += '\n';
    }
  };
  // The unnamed section has no header, so it must come before the first one.
  if (const Section* unnamed = FindSection("")) write_entries(*unnamed);
  for (const Section& s : sections_) {
    if (s.name.empty()) continue;
    if (!out.empty()) out += '\n';
    out += '[';
    out += Escape(s.name, Field::kSection);
    out += "]\n";
    write_entries(s);
  }
  return out;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  // Lookups by lower-cased key keep a long or hostile file linear rather than quadratic.
  std::unordered_map<std::string, size_t> section_index;
  std::unordered_map<std::string, size_t> entry_index;  // section number, '\0', lower name
  size_t current = 0;
  auto enter_section = [&](std::string name) {
    auto [it, added] = section_index.try_emplace(AsciiLowered(name), ini.sections_.size());
    if (added) ini.sections_.push_back(Section{std::move(name), {}});
    current = it->second;
  };
  enter_section("");

  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      // A header alone still makes its section, so an empty section survives a round trip.
      if (line.size() >= 2 && line.back() == ']') {
        enter_section(Unescape(line.substr(1, line.size() - 2)));
      }
      continue;
    }
    const size_t separator = FindSeparator(line);
    if (separator == std::string_view::npos) continue;
    std::string name = Unescape(Trim(line.substr(0, separator)));
    std::string value = Unescape(Trim(line.substr(separator + 1)));
    Section& section = ini.sections_[current];
    std::string key = std::to_string(current) + '\0' + AsciiLowered(name);
    auto [it, added] = entry_index.try_emplace(std::move(key), section.entries.size());
    if (added) {
      section.entries.push_back(Entry{std::move(name), std::move(value)});
    } else {
      section.entries[it->second].value = std::move(value);  // the last one read wins
    }
  }
  if (ini.sections_.front().entries.empty()) ini.sections_.erase(ini.sections_.begin());
  return ini;
}

Result<IniFile> IniFile::Load(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return IniFile();
    return SystemError(errno);
  }
  std::string text;
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      ::close(fd);
      return SystemError(code);
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return Parse(text);
}

Status IniFile::Save(const std::string& path) const {
  const std::filesystem::path target(path);
  if (target.has_parent_path()) {
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) return SystemError(ec.value());
  }
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return SystemError(errno);
  Status status = WriteAll(fd, Serialize());
  if (status.ok() && ::fsync(fd) != 0) status = SystemError(errno);
  if (::close(fd) != 0 && status.ok()) status = SystemError(errno);
  if (status.ok() && ::rename(temp.c_str(), path.c_str()) != 0) status = SystemError(errno);
  if (!status.ok()) ::unlink(temp.c_str());
  return status;
}

}  // namespace velmora
