// The bzip2 log readers over a damaged or crafted .bz2 file, read to its end: the sequential
// reader, and the block-parallel one, which must hand out exactly the same bytes and stop for the
// same reason.
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
  const std::unique_ptr<velmora::LogReader> sequential_reader =
      velmora::StartLogReader(std::make_unique<velmora::Bzip2LogReader>(), path);
  const std::string sequential = ReadCapped(*sequential_reader);
  const std::unique_ptr<velmora::LogReader> parallel_reader =
      velmora::StartLogReader(std::make_unique<velmora::ParallelBzip2LogReader>(), path);
  const std::string parallel = ReadCapped(*parallel_reader);
  std::remove(path.c_str());
  if (parallel != sequential) std::abort();
  if (parallel_reader->failure() != sequential_reader->failure()) std::abort();
  return 0;
}
