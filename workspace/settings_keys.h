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
  // Numbers that stand for a choice: the name of each value from min on, as `velmora new` takes
  // them ("w3c", "auto", "custom"); empty for plain numbers.
  std::span<const std::string_view> value_names = {};
  bool time_zone = false;  // also takes a zone's name or a UTC offset (FindTimeZone)
};

// Every key, in the order `settings show` lists them.
std::span<const SettingKey> SettingKeys();
const SettingKey* FindSettingKey(std::string_view name);

// The value as text (numbers in decimal). Fails for an unknown key.
Result<std::string> GetSetting(const WorkspaceSettings& settings, std::string_view key);

// Sets the value from text: a decimal number, or for a choice one of its value names (any case),
// or for a time zone its name or UTC offset. Fails, changing nothing, for an unknown or read-only
// key, a value it does not accept, or a text that is too long; the error names the setting and
// lists what it accepts.
Status SetSetting(WorkspaceSettings& settings, std::string_view key, std::string_view value);

// What a key accepts, in words, to follow "must be": "w3c (0), auto (1) or custom (2)", "a whole
// number from 1 to 65535", "a text of at most 259 bytes".
std::string AcceptedValues(const SettingKey& key);

}  // namespace velmora
