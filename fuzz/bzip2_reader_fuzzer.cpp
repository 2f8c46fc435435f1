// The bzip2 log reader over a damaged or crafted .bz2 file, read to its end.
#include "fuzz/compressed_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::fuzz::ReadCompressedInput("input.log.bz2", data, size);
  return 0;
}
