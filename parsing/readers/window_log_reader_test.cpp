#include "parsing/readers/window_log_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "parsing/readers/compress_for_tests.h"
#include "parsing/readers/string_log_reader_for_tests.h"

namespace velmora {
namespace {

using testing::ReadAll;

TEST(WindowLogReaderTest, HandsOutThePreambleThenItsWindowOfTheContent) {
  // Long enough that skipping and stopping cross the inner reader's 61-byte refills.
  std::string content;
  for (int i = 0; i < 40; ++i) content += "line " + std::to_string(i) + "\n";
  struct Case {
    uint64_t start, end;
    std::string preamble;
  } cases[] = {
      {0, UINT64_MAX, ""},
      {0, 100, ""},
      {7, UINT64_MAX, ""},
      {150, 151, ""},
      {150, 100, ""},
      {60, 122, "#Fields: a b\n"},
      {400, UINT64_MAX, "#P\n"},
      {0, 0, "#only\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    auto window = std::make_unique<WindowLogReader>(
        std::make_unique<testing::StringLogReader>(content), c.start, c.end, c.preamble);
    WindowLogReader* raw = window.get();
    std::unique_ptr<LogReader> reader = StartLogReader(std::move(window), "unused");
    const uint64_t from = std::min<uint64_t>(c.start, content.size());
    const uint64_t to = std::clamp<uint64_t>(c.end, from, content.size());
    EXPECT_EQ(ReadAll(*reader), c.preamble + content.substr(from, to - from));
    EXPECT_EQ(raw->content_delivered(), std::max<uint64_t>(c.start, to));
  }
}

TEST(WindowLogReaderTest, FindsTheLastFieldsLineBeforeAPosition) {
  const std::string log =
      "#Software: x\n#Fields: a\n1\n#Fields b\n#Fields: a b\n2\n#Fields: c\n3\n";
  const size_t before_last = log.find("#Fields: c");
  struct Case {
    uint64_t end;
    std::string found;
  } cases[] = {
      {0, ""},
      {13, ""},
      {24, "#Fields: a\n"},
      {before_last, "#Fields: a b\n"},
      {log.size(), "#Fields: c\n"},
  };
  for (const Case& c : cases) {
    testing::StringLogReader reader(log);
    EXPECT_EQ(FieldsLineBefore(reader, c.end), c.found) << c.end;
  }
}

}  // namespace
}  // namespace velmora
