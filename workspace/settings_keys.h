// Named access to the settings for the command line and the JSON form: every setting of the
// block (and the last import folder) under its kebab-case key, read and written as decimal or
// plain text. Every value is checked against its key's accepted range before anything changes, so
// a refused value leaves the settings exactly as they were.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/result.h"
#include "workspace/settings.h"

namespace velmora {

enum class SettingKind : uint8_t { kText, kNumber };

struct SettingKey {
  std::string_view name;  // e.g. "session-timeout"
  SettingKind kind;
  int64_t min = 0;  // numbers: the accepted range
  int64_t max = 0;
  size_t max_length = 0;   // texts: the most bytes accepted
  bool read_only = false;  // only "workspace-name": the folder and file are named after it
};

// Every key, in the order `settings show` lists them.
std::span<const SettingKey> SettingKeys();
const SettingKey* FindSettingKey(std::string_view name);

// The value as text (numbers in decimal). Fails for an unknown key.
Result<std::string> GetSetting(const WorkspaceSettings& settings, std::string_view key);

// Sets the value from text. Fails, changing nothing, for an unknown or read-only key, a number
// that is not decimal or out of range, or a text that is too long; the error names the setting
// and what it accepts.
Status SetSetting(WorkspaceSettings& settings, std::string_view key, std::string_view value);

}  // namespace velmora
