// What the compressed-reader targets share: the input written as a file, read to its end by the
// reader of the kind the target names (whatever the first bytes say, so every input reaches the
// decoder). Reading stops after 4 MiB so that a small bomb costs the fuzzer time, not memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "parsing/readers/log_reader.h"

namespace velmora::fuzz {

// What `reader` hands out, up to the 4 MiB cap; asks for its progress as a parse would. At the end
// the reader must stay there, and a failure can only come with the end.
inline std::string ReadCapped(LogReader& reader) {
  std::string text;
  int c = reader.GetChar();
  for (; c >= 0 && text.size() < (size_t{4} << 20); c = reader.GetChar()) {
    text.push_back(static_cast<char>(c));
  }
  (void)reader.ProgressFraction();
  (void)reader.FileProgress();
  if (c < 0 && (!reader.ended() || reader.GetChar() != -1)) std::abort();
  if (reader.failure() && !reader.ended()) std::abort();
  return text;
}

inline void ReadCompressedInput(LogReaderKind kind, const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile("input.log", AsText(data, size));
  (void)ReadCapped(*StartLogReader(MakeLogReader(kind), path));
  std::remove(path.c_str());
}

}  // namespace velmora::fuzz
