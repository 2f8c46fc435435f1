#include "parsing/records/log_record.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace velmora {
namespace {

// A borrowed text reads as the borrowed characters; any change copies them in first and leaves
// the memory it borrowed from alone, since that belongs to someone else (the hand-over ring).
TEST(FixedTextTest, ABorrowedTextIsCopiedInBeforeAnyChange) {
  struct Case {
    const char* name;
    std::function<void(LogText&)> change;
    std::string expected;
  };
  const Case cases[] = {
      {"nothing", [](LogText&) {}, "/Index.html"},
      {"append", [](LogText& t) { t.append("?q=1"); }, "/Index.html?q=1"},
      {"append its own view", [](LogText& t) { t.append(t.view().substr(0, 3)); },
       "/Index.html/In"},
      {"truncate", [](LogText& t) { t.truncate(3); }, "/In"},
      {"truncate longer", [](LogText& t) { t.truncate(50); }, "/Index.html"},
      {"write through data", [](LogText& t) { t.data()[1] = 'i'; }, "/index.html"},
      {"assign its own view", [](LogText& t) { t.assign(t.view().substr(1, 5)); }, "Index"},
      {"assign", [](LogText& t) { t.assign("x"); }, "x"},
      {"clear", [](LogText& t) { t.clear(); }, ""},
  };
  for (const Case& c : cases) {
    const std::string source("/Index.html\0tail", 16);
    auto text = std::make_unique<LogText>();
    text->assign("an older text that is longer");
    text->borrow(source.data(), 11);
    c.change(*text);
    EXPECT_EQ(text->view(), c.expected) << c.name;
    EXPECT_EQ(source, std::string("/Index.html\0tail", 16)) << c.name;
  }
}

TEST(FixedTextTest, CopiesOwnTheirCharactersAndBorrowingIsCut) {
  std::string source = "Mozilla/5.0";
  auto record = std::make_unique<LogRecord>();
  record->user_agent.borrow(source.data(), source.size());
  record->uri_stem.assign("/a");
  const auto copy = std::make_unique<LogRecord>(*record);
  source[0] = 'X';  // the lender reuses its memory
  EXPECT_EQ(copy->user_agent.view(), "Mozilla/5.0");
  EXPECT_EQ(copy->uri_stem.view(), "/a");
  EXPECT_EQ(record->user_agent.view(), "Xozilla/5.0");

  const std::string long_source(3000, 'u');
  record->referrer.borrow(long_source.data(), long_source.size());
  EXPECT_EQ(record->referrer.size(), kLogTextCapacity);
  record->Reset();
  EXPECT_TRUE(record->user_agent.empty());
  EXPECT_TRUE(record->referrer.empty());
}

}  // namespace
}  // namespace velmora
