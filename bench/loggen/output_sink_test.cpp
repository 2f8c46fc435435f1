#include "bench/loggen/output_sink.h"

#include <bzlib.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/temp_dir.h"

namespace velmora::loggen {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Gunzip(const std::string& path) {
  gzFile f = gzopen(path.c_str(), "rb");
  std::string out;
  char buffer[65536];
  int n;
  while ((n = gzread(f, buffer, sizeof(buffer))) > 0) out.append(buffer, n);
  gzclose(f);
  return out;
}

// The whole stream, or a note of libbz2's complaint (a cut-off stream is BZ_UNEXPECTED_EOF).
std::string Bunzip(std::string packed, size_t size) {
  std::string out(size + 1, '\0');
  auto length = static_cast<unsigned>(out.size());
  const int rc = BZ2_bzBuffToBuffDecompress(out.data(), &length, packed.data(),
                                            static_cast<unsigned>(packed.size()), 0, 0);
  out.resize(length);
  return rc == BZ_OK ? out : "<broken: " + std::to_string(rc) + ">";
}

// Text in several blocks, one larger than the compressors' output chunk, as the tool writes.
std::string Sample() {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "line " + std::to_string(i * 7919 % 100003) + "\n";
  return text;
}

// Also an empty output: a compressed one must still be a whole, valid stream.
TEST(OutputSinkTest, EveryCompressionRoundTrips) {
  const testing::TempDir dir;
  for (const std::string& text : {std::string(), Sample()}) {
    for (const Compression c : {Compression::kNone, Compression::kGzip, Compression::kBzip2}) {
      SCOPED_TRACE(text.size());
      const std::string path =
          dir / ("out" + std::to_string(static_cast<int>(c)) + "-" + std::to_string(text.size()));
      auto sink = OpenOutput(path, c);
      ASSERT_TRUE(sink.ok()) << sink.error().message;
      const size_t split = std::min<size_t>(10, text.size());
      ASSERT_TRUE((*sink)->Write(std::string_view(text).substr(0, split)).ok());
      ASSERT_TRUE((*sink)->Write({}).ok());
      ASSERT_TRUE((*sink)->Write(std::string_view(text).substr(split)).ok());
      ASSERT_TRUE((*sink)->Finish().ok());
      const std::string raw = ReadFile(path);
      switch (c) {
        case Compression::kNone:
          EXPECT_EQ(raw, text);
          break;
        case Compression::kGzip:
          ASSERT_GE(raw.size(), 2u);
          EXPECT_EQ(static_cast<unsigned char>(raw[0]), 0x1F);
          EXPECT_EQ(static_cast<unsigned char>(raw[1]), 0x8B);
          EXPECT_GE(raw.size(), 20u);  // header, at least an empty block, and trailer
          if (!text.empty()) {
            EXPECT_LT(raw.size(), text.size() / 2);
          }
          EXPECT_EQ(Gunzip(path), text);
          break;
        case Compression::kBzip2:
          EXPECT_TRUE(raw.starts_with("BZh9"));
          EXPECT_EQ(Bunzip(raw, text.size()), text);
          break;
      }
    }
  }
}

TEST(OutputSinkTest, UnwritablePathIsReported) {
  const testing::TempDir dir;
  auto sink = OpenOutput(dir / "no-such-folder/out.log", Compression::kNone);
  ASSERT_FALSE(sink.ok());
  EXPECT_EQ(sink.error().code, ENOENT);
  EXPECT_NE(sink.error().message.find("no-such-folder"), std::string::npos);
}

TEST(OutputSinkTest, CompressionByNameAndByOutputFile) {
  const struct {
    std::string_view text;
    std::optional<Compression> parsed;
  } names[] = {{"none", Compression::kNone}, {"gzip", Compression::kGzip},
               {"gz", Compression::kGzip},   {"bzip2", Compression::kBzip2},
               {"bz2", Compression::kBzip2}, {"zip", std::nullopt},
               {"", std::nullopt},           {"GZIP", std::nullopt}};
  for (const auto& n : names) EXPECT_EQ(ParseCompression(n.text), n.parsed) << n.text;

  const struct {
    std::string_view path;
    Compression c;
  } files[] = {{"access.log.gz", Compression::kGzip},
               {"a.bz2", Compression::kBzip2},
               {"access.log", Compression::kNone},
               {"-", Compression::kNone},
               {"gz", Compression::kNone},
               {"x.gz.log", Compression::kNone}};
  for (const auto& f : files) EXPECT_EQ(CompressionForName(f.path), f.c) << f.path;
}

}  // namespace
}  // namespace velmora::loggen
