// The body both compressed-reader targets share: the input written as a file whose extension
// picks the reader, then read to its end. Decoding stops after 4 MiB so that a small bomb costs
// the fuzzer time, not memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "parsing/log_reader.h"

namespace velmora::fuzz {

inline void ReadCompressedInput(std::string_view file_name, const uint8_t* data, size_t size) {
  const std::string path = WriteScratchFile(file_name, AsText(data, size));
  const auto reader = OpenLogReader(path);
  volatile uint64_t sum = 0;  // keeps the reads from being optimised away
  for (int i = 0; i < (4 << 20); ++i) {
    const int c = reader->GetChar();
    if (c < 0) break;
    sum = sum + static_cast<unsigned>(c);
  }
  (void)reader->ProgressFraction();
  (void)reader->FileProgress();
  std::remove(path.c_str());
}

}  // namespace velmora::fuzz
