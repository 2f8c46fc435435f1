#include "parsing/overlapped_log_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "parsing/compress_for_tests.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::Bzip2;
using testing::Gzip;
using testing::NoiseBytes;
using testing::ReadAll;
using testing::SampleLogText;
using testing::WriteFile;

struct Case {
  const char* name;
  size_t text_size;
  bool damaged;  // the stream is cut in the middle
};

class OverlappedLogReaderTest : public ::testing::TestWithParam<Case> {
 protected:
  velmora::testing::TempDir dir_;
};

// Whatever the wrapped reader hands out, in order, and the end where it ends: small logs, logs of
// many blocks, and a stream cut short.
TEST_P(OverlappedLogReaderTest, HandsOutWhatTheWrappedReaderDoes) {
  const Case& c = GetParam();
  const std::string text = NoiseBytes(c.text_size, 99) + SampleLogText(100);
  for (const auto& [name, bytes] :
       {std::pair{std::string("log.gz"), Gzip(text)},
        std::pair{std::string("log.bz2"), Bzip2(text)}, std::pair{std::string("log.txt"), text}}) {
    const std::string path = (dir_.path() / name).string();
    WriteFile(path, c.damaged ? bytes.substr(0, bytes.size() / 2) : bytes);
    std::unique_ptr<LogReader> plain = OpenLogReader(path);
    std::unique_ptr<LogReader> overlapped = OpenOverlappedLogReader(path);
    const std::string expected = ReadAll(*plain);
    EXPECT_EQ(ReadAll(*overlapped), expected) << name;
    if (!c.damaged) {
      EXPECT_EQ(expected, text) << name;
    }
    EXPECT_EQ(overlapped->GetChar(), -1);
    EXPECT_TRUE(overlapped->ended());
    EXPECT_EQ(overlapped->delivered(), expected.size());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, OverlappedLogReaderTest,
    ::testing::Values(Case{"Empty", 0, false}, Case{"Small", 1000, false},
                      Case{"ManyBlocks", OverlappedLogReader::kBlockSize * 9 + 17, false},
                      Case{"CutShort", OverlappedLogReader::kBlockSize * 3, true}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// The decoder waits for room; the destructor must stop and join it. A missing file ends at once.
TEST(OverlappedLogReaderStop, GoesAwayWhileTheDecoderIsAhead) {
  velmora::testing::TempDir dir;
  const std::string path = (dir.path() / "big.log.gz").string();
  WriteFile(path, Gzip(NoiseBytes(OverlappedLogReader::kBlockSize * 12, 5)));
  for (int taken : {0, 1, 300000}) {
    std::unique_ptr<LogReader> reader = OpenOverlappedLogReader(path);
    for (int i = 0; i < taken; ++i) ASSERT_GE(reader->GetChar(), 0);
  }
  std::unique_ptr<LogReader> missing = OpenOverlappedLogReader((dir.path() / "gone.gz").string());
  EXPECT_EQ(missing->GetChar(), -1);
  EXPECT_EQ(missing->ProgressFraction(), 0u);
}

}  // namespace
}  // namespace velmora
