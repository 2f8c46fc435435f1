#include "parsing/readers/log_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "parsing/readers/compress_for_tests.h"
#include "parsing/readers/gzip_log_reader.h"
#include "parsing/readers/parallel_bzip2_log_reader.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::Bzip2;
using testing::Gzip;
using testing::GzipHeaderFields;
using testing::NoiseBytes;
using testing::ReadAll;
using testing::SampleLogText;
using testing::TempDir;
using testing::WriteFile;

std::string ReadPath(const std::string& path) {
  std::unique_ptr<LogReader> reader = OpenLogReader(path);
  std::string text = ReadAll(*reader);
  EXPECT_TRUE(reader->ended());
  EXPECT_EQ(reader->GetChar(), -1) << "the end is sticky";
  EXPECT_EQ(reader->delivered(), text.size());
  EXPECT_EQ(reader->failure(), std::nullopt) << path;
  return text;
}

TEST(LogReaderKindTest, FirstBytesDecide) {
  const struct {
    std::string bytes;
    LogReaderKind kind;
  } cases[] = {
      {"\x1f\x8b", LogReaderKind::kGzip},
      {"\x1f\x8b\x07", LogReaderKind::kGzip},  // the gzip reader says what is wrong with it
      {"BZh", LogReaderKind::kBzip2},
      {"BZhx", LogReaderKind::kBzip2},
      {"\x1f", LogReaderKind::kPlain},
      {"\x8b\x1f", LogReaderKind::kPlain},
      {"BZ", LogReaderKind::kPlain},
      {"bzh9", LogReaderKind::kPlain},
      {"10.0.0.1 - - [", LogReaderKind::kPlain},
      {"", LogReaderKind::kPlain},
  };
  for (const auto& c : cases) {
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                         c.bytes.size());
    EXPECT_EQ(LogReaderKindForBytes(bytes), c.kind) << c.bytes;
  }
}

// Every reader hands back exactly the text, whatever optional gzip header fields precede it and
// whatever the file is called; only the first compressed stream of a file is read.
TEST(LogReaderTest, EveryKindReadsBackItsText) {
  TempDir dir;
  // High bytes must come back as 128..255, never as the -1 that means the end.
  const std::string text = SampleLogText(6000) + NoiseBytes(70'000) + "last line\n";
  const std::string small = SampleLogText(50);
  const auto with = [&small](std::string extra, std::string name, std::string comment, bool crc) {
    return Gzip(small,
                GzipHeaderFields{std::move(extra), std::move(name), std::move(comment), crc});
  };
  const struct {
    const char* name;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"plain.log", text, text},
      {"plain.gz", text, text},
      {"zipped.log", Gzip(text), text},
      {"zipped.bz2", Gzip(text), text},
      {"packed.log.bz2", Bzip2(text), text},
      {"packed", Bzip2(text, 1), text},
      {"name.gz", with("", "access.log", "", false), small},
      {"comment.gz", with("", "", "rotated nightly", false), small},
      {"header-crc.gz", with("", "", "", true), small},
      {"extra.gz", with(std::string("AB\x04\0\x01\x02\x03\x04", 8), "", "", false), small},
      {"all-fields.gz", with("xy", "access.log", "c", true), small},
      {"two.gz", Gzip("first\n") + Gzip("second\n"), "first\n"},
      {"two.bz2", Bzip2("first\n") + Bzip2("second\n"), "first\n"},
      {"tail.gz", Gzip("first\n") + "trailing garbage", "first\n"},
      // The trailer is never checked.
      {"no-trailer.gz", Gzip(text).substr(0, Gzip(text).size() - 8), text},
      {"no-final-newline.log", "a\nb", "a\nb"},
      {"empty.gz", "", ""},
      {"one-byte.log", "\x1f", "\x1f"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    EXPECT_EQ(ReadPath(dir / c.name), c.expected) << c.name;
  }
}

TEST(GzipHeaderLengthTest, ValidAndInvalidHeaders) {
  auto bytes = [](std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
  };
  const struct {
    const char* what;
    std::vector<uint8_t> header;
    std::optional<size_t> length;
  } cases[] = {
      {"plain header", bytes({0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3, 0xAA}), 10},
      {"crc", bytes({0x1F, 0x8B, 8, 2, 0, 0, 0, 0, 0, 3, 1, 2}), 12},
      {"too short", bytes({0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"bad magic 0", bytes({0x1E, 0x8B, 8, 0, 0, 0, 0, 0, 0, 3}), std::nullopt},
      {"not deflate", bytes({0x1F, 0x8B, 7, 0, 0, 0, 0, 0, 0, 3}), std::nullopt},
      {"reserved 0x20", bytes({0x1F, 0x8B, 8, 0x20, 0, 0, 0, 0, 0, 3}), std::nullopt},
      {"name unterminated", bytes({0x1F, 0x8B, 8, 8, 0, 0, 0, 0, 0, 3, 'a', 'b'}), std::nullopt},
      {"comment unterminated", bytes({0x1F, 0x8B, 8, 16, 0, 0, 0, 0, 0, 3, 'a'}), std::nullopt},
      {"extra length cut", bytes({0x1F, 0x8B, 8, 4, 0, 0, 0, 0, 0, 3, 5}), std::nullopt},
      {"extra past end", bytes({0x1F, 0x8B, 8, 4, 0, 0, 0, 0, 0, 3, 0xFF, 0xFF, 1}), std::nullopt},
      {"crc cut", bytes({0x1F, 0x8B, 8, 2, 0, 0, 0, 0, 0, 3, 1}), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(GzipHeaderLength(c.header), c.length) << c.what;
}

// What zlib makes of a gzip file cut short: every byte the data up to the cut holds.
std::string InflateAsFarAsItGoes(std::string_view gz) {
  z_stream s{};
  inflateInit2(&s, 16 + 15);
  std::string out(size_t{4} << 20, '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
  s.avail_in = static_cast<uInt>(gz.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  inflate(&s, Z_SYNC_FLUSH);
  out.resize(s.total_out);
  inflateEnd(&s);
  return out;
}

enum class Make { kFile, kMissing, kDanglingSymlink, kFolder, kFifo };

// The failure a reader must end with: none, an exact text, or "damaged archive at byte N" with N
// in a range, since where a decoder notices damage depends on how far it has read ahead.
struct ExpectedFailure {
  ExpectedFailure(std::nullopt_t) {}  // NOLINT(google-explicit-constructor)
  ExpectedFailure(std::string text) : text(std::move(text)) {}  // NOLINT
  ExpectedFailure(const char* text) : text(text) {}             // NOLINT
  std::optional<std::string> text;
  std::optional<std::pair<size_t, size_t>> damaged_within;
};

ExpectedFailure Damaged(size_t first, size_t last) {
  ExpectedFailure expected(std::nullopt);
  expected.damaged_within = std::pair(first, last);
  return expected;
}

struct HostileInput {
  std::string name;
  Make make;
  std::string bytes;
  std::optional<std::string> delivered;  // not checked when empty
  ExpectedFailure failure;
};

std::string Truncated(size_t at) { return "archive truncated at byte " + std::to_string(at); }

std::vector<HostileInput> HostileInputs() {
  const std::string text = SampleLogText(20'000);
  const std::string gz = Gzip(text);
  const std::string bz = Bzip2(text, 1);
  std::string bz_flipped = bz;
  bz_flipped[bz.size() / 2] ^= 0x10;
  size_t bad_block_at = 0;
  const std::string half = text.substr(0, text.size() / 2);
  const std::string gz_bad_block = testing::GzipWithBadBlockAfter(half, bad_block_at);
  const std::string cannot_open = "cannot open: " + std::string(std::strerror(ENOENT));
  std::vector<HostileInput> cases = {
      {"missing.log", Make::kMissing, "", "", cannot_open},
      {"dangling.log", Make::kDanglingSymlink, "", "", cannot_open},
      {"folder.log", Make::kFolder, "", "", "is a folder"},
      {"fifo.log", Make::kFifo, "", "", "is a FIFO"},
      {"empty.log", Make::kFile, "", "", std::nullopt},
      {"gzip.log", Make::kFile, gz, text, std::nullopt},
      {"bad-method.gz", Make::kFile, "\x1f\x8b\x07" + gz.substr(3), "", "not a gzip archive"},
      {"reserved-flag.gz", Make::kFile, "\x1f\x8b\x08\x20" + gz.substr(4), "",
       "not a gzip archive"},
      {"header-cut.gz", Make::kFile, gz.substr(0, 5), "", Truncated(5)},
      {"name-cut.gz", Make::kFile, Gzip("x", {"", "access.log", "", false}).substr(0, 14), "",
       Truncated(14)},
      {"bad-block.gz", Make::kFile, gz_bad_block, half, Damaged(bad_block_at, bad_block_at + 8)},
      {"bad-level.bz2", Make::kFile, "BZhx" + bz.substr(4), "", "not a bzip2 archive"},
      {"flipped.bz2", Make::kFile, bz_flipped, std::nullopt, Damaged(bz.size() / 2, bz.size())},
  };
  // The cuts: right after the header, inside the first block, in the middle, and just before the
  // last deflate byte.
  for (size_t cut : {size_t{10}, size_t{40}, gz.size() / 2, gz.size() - 9}) {
    const std::string bytes = gz.substr(0, cut);
    cases.push_back({"cut-" + std::to_string(cut) + ".gz", Make::kFile, bytes,
                     InflateAsFarAsItGoes(bytes), Truncated(cut)});
  }
  // libbzip2 hands out a block only once it has it whole; the stream's last bits are its CRC, so
  // a file one byte short has every block but not its end.
  for (size_t cut : {size_t{3}, size_t{9}, bz.size() - 1}) {
    cases.push_back({"cut-" + std::to_string(cut) + ".bz2", Make::kFile, bz.substr(0, cut),
                     cut == bz.size() - 1 ? text : "", Truncated(cut)});
  }
  return cases;
}

// Inputs that cannot be read, or not all the way, end with a reason after every byte before the
// stop; sound ones end cleanly whatever they are called. The accelerated reader says the same.
TEST(LogReaderTest, HostileInputsSayWhyTheyStop) {
  TempDir dir;
  for (const HostileInput& c : HostileInputs()) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.name;
    switch (c.make) {
      case Make::kFile:
        WriteFile(path, c.bytes);
        break;
      case Make::kMissing:
        break;
      case Make::kDanglingSymlink:
        std::filesystem::create_symlink(dir / "nowhere.log", path);
        break;
      case Make::kFolder:
        std::filesystem::create_directory(path);
        break;
      case Make::kFifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);  // must neither block nor be read
        break;
    }
    for (const bool accelerated : {false, true}) {
      SCOPED_TRACE(accelerated ? "accelerated" : "sequential");
      std::unique_ptr<LogReader> reader =
          accelerated ? OpenAcceleratedLogReader(path) : OpenLogReader(path);
      const std::string got = ReadAll(*reader);
      EXPECT_EQ(reader->GetChar(), -1) << "the end is sticky";
      EXPECT_TRUE(reader->ended());
      if (c.delivered) {
        EXPECT_EQ(got.size(), c.delivered->size());
        EXPECT_TRUE(got == *c.delivered);
      }
      if (const auto& within = c.failure.damaged_within) {
        ASSERT_TRUE(reader->failure().has_value());
        const std::string prefix = "damaged archive at byte ";
        ASSERT_TRUE(reader->failure()->starts_with(prefix)) << *reader->failure();
        const size_t at = std::stoul(reader->failure()->substr(prefix.size()));
        EXPECT_GE(at, within->first) << *reader->failure();
        EXPECT_LE(at, within->second) << *reader->failure();
      } else {
        EXPECT_EQ(reader->failure(), c.failure.text);
      }
    }
  }
}

// A read that fails midway is a failure of its own; /proc/self/mem is a regular file whose first
// page is never mapped.
TEST(LogReaderTest, ReadErrorIsAFailure) {
  std::unique_ptr<LogReader> reader = OpenLogReader("/proc/self/mem");
  EXPECT_EQ(ReadAll(*reader), "");
  EXPECT_EQ(reader->failure(), "read error: " + std::string(std::strerror(EIO)));
}

TEST(LogReaderTest, FileRemovedAfterOpeningIsStillReadWhole) {
  TempDir dir;
  const std::string text = SampleLogText(3000);
  WriteFile(dir / "a.bz2", Bzip2(text));
  std::unique_ptr<LogReader> reader = OpenLogReader(dir / "a.bz2");
  std::remove((dir / "a.bz2").c_str());
  EXPECT_EQ(ReadAll(*reader), text);
}

// libbzip2 outputs a block only once it has it whole; a 900k block of noise compresses to far
// more than one 64 KiB raw read, and ReadBlock must not report the end while waiting for it.
TEST(LogReaderTest, Bzip2BlocksLargerThanOneRawReadAreReadWhole) {
  TempDir dir;
  const std::string text = NoiseBytes(850'000) + SampleLogText(10'000);
  const std::string bz = Bzip2(text, 9);
  ASSERT_GT(bz.size(), 3u * 65'536);
  WriteFile(dir / "big.bz2", bz);
  std::unique_ptr<LogReader> reader = MakeLogReader(LogReaderKind::kBzip2);
  ASSERT_TRUE(reader->Open(dir / "big.bz2"));
  std::vector<uint8_t> block(4'096);
  size_t total = 0;
  while (size_t n = reader->ReadBlock(block)) {
    ASSERT_LE(n, block.size());
    total += n;
    ASSERT_LE(total, text.size());
  }
  EXPECT_EQ(total, text.size());
  EXPECT_EQ(reader->ReadBlock(block), 0u) << "the end is sticky";
}

TEST(LogReaderProgressTest, PlainProgressFollowsTheBytesHandedOut) {
  TempDir dir;
  WriteFile(dir / "empty.log", "");
  std::unique_ptr<LogReader> empty = OpenLogReader(dir / "empty.log");
  EXPECT_TRUE(empty->ended());
  EXPECT_EQ(empty->ProgressFraction(), 0u);
  EXPECT_EQ(empty->FileProgress(), 0);
  EXPECT_EQ(empty->GetChar(), -1);
  const std::string text(4 * 65'536, 'x');
  WriteFile(dir / "a.log", text);
  std::unique_ptr<LogReader> reader = OpenLogReader(dir / "a.log");
  EXPECT_EQ(reader->ProgressFraction(), 250'000u) << "one 64 KiB block of four read";
  EXPECT_EQ(reader->FileProgress(), 0);
  for (int i = 0; i < 2 * 65'536; ++i) reader->GetChar();
  EXPECT_EQ(reader->ProgressFraction(), 500'000u);
  EXPECT_EQ(reader->FileProgress(), 5'000);
  ReadAll(*reader);
  EXPECT_EQ(reader->ProgressFraction(), 1'000'000u);
  EXPECT_EQ(reader->FileProgress(), 10'000);
}

TEST(LogReaderProgressTest, CompressedProgressUsesTheNominalRatios) {
  TempDir dir;
  // Noise hardly compresses, so the decoded text is about the compressed size: the estimate
  // (15 or 20 times the file) makes the fraction about 1/15 or 1/20 at the end.
  const std::string noise = NoiseBytes(300'000);
  const std::string gz = Gzip(noise);
  const std::string bz = Bzip2(noise);
  WriteFile(dir / "n.gz", gz);
  WriteFile(dir / "n.bz2", bz);
  const struct {
    const char* name;
    uint64_t file_size;
    uint64_t ratio;
  } cases[] = {{"n.gz", gz.size(), 15}, {"n.bz2", bz.size(), 20}};
  for (const auto& c : cases) {
    std::unique_ptr<LogReader> reader = OpenLogReader(dir / c.name);
    ReadAll(*reader);
    const double expected = 300'000.0 * 1e6 / static_cast<double>(c.file_size * c.ratio);
    EXPECT_NEAR(reader->ProgressFraction(), expected, expected * 0.01) << c.name;
    // Per-file progress: handed out over the estimated decoded size, in 1/10,000.
    EXPECT_NEAR(reader->FileProgress(), expected / 100, 2) << c.name;
  }
  // A log compresses far better than 1:20, so the estimate runs out and the fraction is capped.
  std::string log;
  for (int i = 0; i < 40'000; ++i) log += "GET /index.html HTTP/1.1\n";
  WriteFile(dir / "l.gz", Gzip(log));
  WriteFile(dir / "l.bz2", Bzip2(log));
  for (const char* name : {"l.gz", "l.bz2"}) {
    std::unique_ptr<LogReader> reader = OpenLogReader(dir / name);
    ReadAll(*reader);
    EXPECT_EQ(reader->ProgressFraction(), 1'000'000u) << name;
    EXPECT_LE(reader->FileProgress(), 10'000) << name;
  }
}

}  // namespace
}  // namespace velmora
