#include "platform/sys_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace velmora {
namespace {

TEST(SysErrorTest, SuffixIsHexCodeThenText) {
  struct Case {
    int code;
    const char* suffix;
  };
  const Case cases[] = {
      {ENOENT, ". Error #2:No such file or directory"},
      {ENOSPC, ". Error #1c:No space left on device"},
  };
  for (const Case& c : cases) EXPECT_EQ(SystemErrorSuffix(c.code), c.suffix) << c.code;
}

TEST(SysErrorTest, TextHasNoLineBreaksEvenForUnknownCodes) {
  for (int code : {0, 1, 5, 28, 4095, -1, 100000}) {
    const std::string text = SystemErrorText(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code;
  }
}

}  // namespace
}  // namespace velmora
