// Preferences: the per-user values kept between runs (the recent-workspace list and the
// tip-of-the-day state), in an INI file (platform/ini_file.h) under fixed section and value names.
// Nothing is held in memory: every read loads the file and every change is written at once over a
// fresh read, so runs side by side keep each other's values. Failures are silent: an unreadable or
// missing file reads as empty, and a file that could not be read is never overwritten.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

namespace velmora {

inline constexpr std::string_view kAppSection = "Velmora";
inline constexpr std::string_view kRecentSection = "Recent Document List";

class Preferences {
 public:
  // The user's preferences file (platform/desktop.h PreferencesPath()).
  Preferences();
  // Another file, for tests and for a front end that keeps its own.
  explicit Preferences(std::string path);

  const std::string& path() const { return path_; }

  std::optional<std::string> Get(std::string_view section, std::string_view name) const;
  // A 32-bit number stored as decimal text; nullopt when missing or not a number.
  std::optional<int64_t> GetNumber(std::string_view section, std::string_view name) const;

  void Set(std::string_view section, std::string_view name, std::string_view value);
  void SetNumber(std::string_view section, std::string_view name, int64_t value);
  void Remove(std::string_view section, std::string_view name);
  // Several changes written together (one read, one write).
  void Update(const std::function<void(IniFile&)>& change);

 private:
  std::string path_;
};

}  // namespace velmora
