// The bzip2 log readers over a damaged or crafted .bz2 file, read to its end: the sequential
// reader, and the block-parallel one, which must hand out exactly the same bytes.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/compressed_reader_fuzz.h"
#include "parsing/readers/parallel_bzip2_log_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using velmora::fuzz::ReadCapped;
  const std::string path =
      velmora::fuzz::WriteScratchFile("input.log", velmora::fuzz::AsText(data, size));
  const std::string sequential =
      ReadCapped(*velmora::StartLogReader(std::make_unique<velmora::Bzip2LogReader>(), path));
  const std::string parallel = ReadCapped(
      *velmora::StartLogReader(std::make_unique<velmora::ParallelBzip2LogReader>(), path));
  std::remove(path.c_str());
  if (parallel != sequential) std::abort();
  return 0;
}
