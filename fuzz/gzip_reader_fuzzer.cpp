// The gzip log reader over a damaged or crafted .gz file, read to its end.
#include "fuzz/compressed_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  velmora::fuzz::ReadCompressedInput(velmora::LogReaderKind::kGzip, data, size);
  return 0;
}
