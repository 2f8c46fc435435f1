// Helpers shared by the fuzz targets: splitting one input into the several texts a target needs,
// and a scratch file for the readers that only take a path. Every target is also built as a
// plain replay program (replay_main.cpp), so nothing here may depend on libFuzzer.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/ascii.h"

namespace velmora::fuzz {

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Splits at the first `separator`: the part before it and the rest (everything when absent).
inline std::pair<std::string_view, std::string_view> SplitAt(std::string_view text,
                                                             char separator) {
  const size_t at = text.find(separator);
  if (at == std::string_view::npos) return {text, {}};
  return {text.substr(0, at), text.substr(at + 1)};
}

// A file of the process's own in the temporary folder, rewritten for every input.
inline std::string WriteScratchFile(std::string_view name, std::string_view bytes) {
  const char* tmp = getenv("TMPDIR");
  std::string path = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/velmora-fuzz-" +
                     std::to_string(getpid()) + "-" + std::string(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// A plain dynamic-programming file-mask matcher, the model the real ones are checked against:
// matched[j] says the mask so far matches the first j characters of the text.
inline bool ReferenceMaskMatch(std::string_view mask, std::string_view text) {
  std::vector<char> matched(text.size() + 1, 0);
  matched[0] = 1;
  for (const char m : mask) {
    std::vector<char> next(text.size() + 1, 0);
    for (size_t j = 0; j <= text.size(); ++j) {
      if (m == '*') {
        next[j] = matched[j] || (j > 0 && next[j - 1]);
      } else if (j > 0 && matched[j - 1]) {
        next[j] = m == '?' || AsciiLower(m) == AsciiLower(text[j - 1]);
      }
    }
    matched.swap(next);
  }
  return matched[text.size()] != 0;
}

}  // namespace velmora::fuzz
