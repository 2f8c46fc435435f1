#include "parsing/readers/parallel_bzip2_log_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parsing/readers/compress_for_tests.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::Bzip2;
using testing::NoiseBytes;
using testing::ReadAll;
using testing::SampleLogText;
using testing::WriteFile;

std::string Flipped(std::string bytes, size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
  return bytes;
}

std::string Replaced(std::string bytes, size_t at, std::string_view with) {
  bytes.replace(at, with.size(), with);
  return bytes;
}

// Whether the blocks are expected to decode in parallel to the end, or the sequential reader to
// take over.
enum class Path { kParallel, kSequential };

struct Case {
  std::string name;
  std::string bytes;
  Path path;
};

std::vector<Case> Cases() {
  const std::string text = SampleLogText(40'000) + NoiseBytes(300'000, 7) + "last\n";
  const std::string fast = Bzip2(text, 1);  // blocks of 100 kB: dozens of them
  const std::string best = Bzip2(text, 9);
  const std::string runs =
      std::string(3'000'000, 'a') + SampleLogText(2000) + std::string(1'000'000, '\n');
  const std::string magic = "\x31\x41\x59\x26\x53\x59";
  std::vector<Case> cases = {
      {"level1", fast, Path::kParallel},
      {"level9", best, Path::kParallel},
      {"empty", Bzip2(""), Path::kParallel},
      {"one_block", Bzip2("one line\n"), Path::kParallel},
      {"runs", Bzip2(runs, 1), Path::kParallel},
      // One block of runs that decodes past the output cap: left to the streaming decoder.
      {"bomb", Bzip2(std::string(30'000'000, 'x'), 9), Path::kSequential},
      {"two_streams", fast + Bzip2("second stream\n"), Path::kParallel},
      {"garbage_after", best + NoiseBytes(5000, 3), Path::kParallel},
      {"block_crc", Flipped(fast, fast.size() / 2), Path::kSequential},
      {"combined_crc", Flipped(fast, fast.size() - 2), Path::kSequential},
      {"magic_in_block", Replaced(fast, fast.size() / 3, magic), Path::kSequential},
      {"end_magic_in_block", Replaced(fast, fast.size() / 3, "\x17\x72\x45\x38\x50\x90"),
       Path::kSequential},
      {"bad_level", Replaced(fast, 3, "0"), Path::kSequential},
      {"bad_magic", Replaced(fast, 0, "BZx"), Path::kSequential},
      {"not_bzip2", text, Path::kSequential},
      {"noise", NoiseBytes(200'000), Path::kSequential},
      {"empty_file", "", Path::kSequential},
      {"header_only", fast.substr(0, 4), Path::kSequential},
      {"no_block_after_header", fast.substr(0, 4) + NoiseBytes(100), Path::kSequential},
  };
  // The trailer ends in at least one bit of its CRC, so even the last byte cut matters.
  for (size_t cut : {size_t{9}, fast.size() / 4, fast.size() / 2, fast.size() - 20, fast.size() - 6,
                     fast.size() - 1}) {
    cases.push_back({"cut_at_" + std::to_string(cut), fast.substr(0, cut), Path::kSequential});
  }
  return cases;
}

// The key promise: whatever the file holds, the bytes and the reason they stop are the sequential
// reader's.
TEST(ParallelBzip2LogReaderTest, HandsOutWhatTheSequentialReaderDoes) {
  velmora::testing::TempDir dir;
  const std::string path = (dir.path() / "log.bz2").string();
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    WriteFile(path, c.bytes);
    std::unique_ptr<LogReader> sequential =
        StartLogReader(std::make_unique<Bzip2LogReader>(), path);
    const std::string expected = ReadAll(*sequential);
    auto reader = std::make_unique<ParallelBzip2LogReader>();
    const ParallelBzip2LogReader& parallel = *reader;
    std::unique_ptr<LogReader> started = StartLogReader(std::move(reader), path);
    const std::string actual = ReadAll(*started);
    // Not EXPECT_EQ on the text: a failure would print megabytes.
    EXPECT_EQ(actual.size(), expected.size());
    EXPECT_TRUE(actual == expected);
    EXPECT_EQ(started->GetChar(), -1);
    EXPECT_EQ(started->failure(), sequential->failure());
    EXPECT_EQ(parallel.fell_back(), c.path == Path::kSequential);
    if (c.path == Path::kParallel) {
      EXPECT_EQ(started->ProgressFraction(), 1'000'000u);
    }
  }
}

TEST(ParallelBzip2LogReaderTest, ProgressGrowsWithThePiecesHandedOut) {
  velmora::testing::TempDir dir;
  const std::string path = (dir.path() / "log.bz2").string();
  WriteFile(path, Bzip2(SampleLogText(20'000), 1));
  std::unique_ptr<LogReader> reader = OpenAcceleratedLogReader(path);
  uint32_t last = 0;
  bool between = false;
  for (int c = reader->GetChar(); c >= 0; c = reader->GetChar()) {
    const uint32_t now = reader->ProgressFraction();
    ASSERT_GE(now, last);
    between |= now > 0 && now < 1'000'000;
    last = now;
  }
  EXPECT_TRUE(between);
  EXPECT_EQ(reader->ProgressFraction(), 1'000'000u);
}

// The workers wait for room or are mid-piece; the destructor must stop and join them.
TEST(ParallelBzip2LogReaderTest, GoesAwayInTheMiddleOfTheFile) {
  velmora::testing::TempDir dir;
  const std::string path = (dir.path() / "log.bz2").string();
  WriteFile(path, Bzip2(NoiseBytes(3'000'000, 11), 1));
  for (int taken : {0, 1, 250'000}) {
    std::unique_ptr<LogReader> reader = OpenAcceleratedLogReader(path);
    for (int i = 0; i < taken; ++i) ASSERT_GE(reader->GetChar(), 0);
  }
  std::unique_ptr<LogReader> missing = OpenAcceleratedLogReader((dir.path() / "gone.bz2").string());
  EXPECT_EQ(missing->GetChar(), -1);
}

}  // namespace
}  // namespace velmora
