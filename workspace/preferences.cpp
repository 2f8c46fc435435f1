#include "workspace/preferences.h"

#include <charconv>
#include <limits>

#include "platform/desktop.h"

namespace velmora {

Preferences::Preferences() : path_(PreferencesPath()) {}

Preferences::Preferences(std::string path) : path_(std::move(path)) {}

std::optional<std::string> Preferences::Get(std::string_view section, std::string_view name) const {
  Result<IniFile> ini = IniFile::Load(path_);
  if (!ini.ok()) return std::nullopt;
  return ini->Get(section, name);
}

std::optional<int64_t> Preferences::GetNumber(std::string_view section,
                                              std::string_view name) const {
  const std::optional<std::string> text = Get(section, name);
  if (!text) return std::nullopt;
  int64_t value = 0;
  const char* end = text->data() + text->size();
  const auto [ptr, ec] = std::from_chars(text->data(), end, value);
  if (text->empty() || ec != std::errc() || ptr != end) return std::nullopt;
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<uint32_t>::max()) {
    return std::nullopt;
  }
  return value;
}

void Preferences::Set(std::string_view section, std::string_view name, std::string_view value) {
  Update([&](IniFile& ini) { ini.Set(section, name, value); });
}

void Preferences::SetNumber(std::string_view section, std::string_view name, int64_t value) {
  Set(section, name, std::to_string(value));
}

void Preferences::Remove(std::string_view section, std::string_view name) {
  Update([&](IniFile& ini) { ini.Remove(section, name); });
}

void Preferences::Update(const std::function<void(IniFile&)>& change) {
  // Read afresh so that values written meanwhile by another run are kept.
  Result<IniFile> ini = IniFile::Load(path_);
  if (!ini.ok()) return;
  // Every command lists its workspace as the most recent one; rewriting (and syncing) an
  // unchanged file each time would cost more than most report commands themselves.
  const std::string before = ini->Serialize();
  change(ini.value());
  if (ini->Serialize() != before) (void)ini->Save(path_);
}

}  // namespace velmora
