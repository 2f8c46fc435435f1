// Random formats, lines and files through the matcher, detection and both parsers: nothing may
// crash or read outside its buffers (run under the sanitizers to mean it).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "parsing/formats/format_compiler.h"
#include "parsing/formats/format_detection.h"
#include "parsing/formats/format_matcher.h"
#include "parsing/lines/custom_parser.h"
#include "parsing/lines/w3c_parser.h"
#include "parsing/readers/string_log_reader_for_tests.h"
#include "parsing/records/record_completion.h"

namespace velmora {
namespace {

class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  char Pick(std::string_view from) { return from[Next() % from.size()]; }

 private:
  uint32_t state_;
};

std::string RandomText(Random& random, std::string_view alphabet, size_t max_size) {
  std::string text(random.Next() % (max_size + 1), '\0');
  for (char& c : text) c = random.Pick(alphabet);
  return text;
}

constexpr std::string_view kFormatAlphabet = "%\\SsuvjerqfABcbTtUYymMdhnoawWxZ%t -/:[]\"?.\t0";
constexpr char kLineChars[] = "0123456789-./: []\"?#+%\\\tAPMJanOctabcxyz\0\r\xff";
constexpr std::string_view kLineAlphabet(kLineChars, sizeof(kLineChars) - 1);

TEST(HostileInputTest, RandomFormatsAgainstRandomLines) {
  Random random(20021205);
  LogRecord record;
  ParseOptions options;
  options.time_offset_seconds = -90000;
  for (int round = 0; round < 3000; ++round) {
    const CompiledFormat format = CompiledFormat::Compile(RandomText(random, kFormatAlphabet, 24));
    for (int line = 0; line < 10; ++line) {
      record.Reset();
      if (MatchLine(RandomText(random, kLineAlphabet, 60), record, format)) {
        CompleteRecord(options, record);
        EXPECT_LE(record.uri_stem.size(), kLogTextCapacity);
      }
    }
  }
}

TEST(HostileInputTest, RandomFilesThroughDetectionAndParsers) {
  Random random(424242);
  const std::string_view alphabet = "#Fields: date time c-ip sc-status cs-uri-stem\n\r\t 0129-:/.";
  for (int round = 0; round < 200; ++round) {
    const std::string bytes = RandomText(random, alphabet, 4000);
    {
      testing::StringLogReader reader(bytes);
      DetectFormat(reader, "%S %r");
    }
    ParseSink sink;
    {
      testing::StringLogReader reader(bytes);
      ParseW3C(reader, ParseOptions{}, sink);
    }
    {
      testing::StringLogReader reader(bytes);
      ParseCustom(reader, LogFormat::Custom("%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%r\" %c %b"),
                  ParseOptions{}, sink);
    }
  }
}

TEST(HostileInputTest, OverlongNumbersAndDates) {
  LogRecord record;
  for (std::string_view line :
       {"99999999999999999999999999", "--------------------", "2002-99-99 99:99:99"}) {
    for (std::string_view format : {"%U", "%b", "%c", "%T", "%t", "%Y", "%y", "%d", "%s"}) {
      record.Reset();
      MatchLine(line, record, format);
    }
    record.Reset();
    record.date_time.assign(line);
    CompleteRecord(ParseOptions{}, record);
    EXPECT_EQ(record.time, 0u) << line;
  }
}

}  // namespace
}  // namespace velmora
