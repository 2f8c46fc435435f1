// The bzip2 log reader over a damaged or crafted .bz2 file, read to its end. Decoding stops
// after 4 MiB so that a small bomb costs the fuzzer time, not memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_input.h"
#include "parsing/log_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path =
      velmora::fuzz::WriteScratchFile("input.log.bz2", velmora::fuzz::AsText(data, size));
  const auto reader = velmora::OpenLogReader(path);
  uint64_t sum = 0;
  for (int i = 0; i < (4 << 20); ++i) {
    const int c = reader->GetChar();
    if (c < 0) break;
    sum += static_cast<unsigned>(c);
  }
  (void)reader->ProgressFraction();
  (void)reader->FileProgress();
  std::remove(path.c_str());
  return sum == 1 ? 1 : 0;
}
