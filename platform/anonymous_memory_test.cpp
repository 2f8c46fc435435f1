#include "platform/anonymous_memory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace velmora {
namespace {

class AnonymousMemoryTest : public ::testing::Test {
 protected:
  void TearDown() override { SetAnonymousMemoryFaultHook(nullptr); }
};

TEST_F(AnonymousMemoryTest, NewAreaIsZeroFilledAndWritable) {
  Result<AnonymousMemory> area = AnonymousMemory::Create(0x400000);
  ASSERT_TRUE(area.ok()) << area.error().message;
  EXPECT_EQ(area->size(), 0x400000u);
  EXPECT_EQ(area->data()[0], 0);
  EXPECT_EQ(area->data()[0x3FFFFF], 0);
  area->data()[0x3FFFFF] = 0x5A;
  EXPECT_EQ(area->data()[0x3FFFFF], 0x5A);
}

TEST_F(AnonymousMemoryTest, FailuresComeBackAsErrors) {
  struct Case {
    const char* name;
    size_t size;
    int injected;
    int expected;
  };
  const Case cases[] = {
      {"zero size", 0, 0, EINVAL},
      {"injected out of memory", 4096, ENOMEM, ENOMEM},
      {"more than the address space", ~size_t{0} - 4095, 0, ENOMEM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetAnonymousMemoryFaultHook([&](size_t) { return c.injected; });
    Result<AnonymousMemory> area = AnonymousMemory::Create(c.size);
    ASSERT_FALSE(area.ok());
    EXPECT_EQ(area.error().code, c.expected);
    EXPECT_FALSE(area.error().message.empty());
  }
}

// The moved-to area owns the mapping: it alone can seal it.
TEST_F(AnonymousMemoryTest, MovedAreaKeepsItsBytesAndSealsThemReadOnly) {
  Result<AnonymousMemory> area = AnonymousMemory::Create(4096);
  ASSERT_TRUE(area.ok());
  area->data()[7] = 42;
  AnonymousMemory moved = std::move(*area);
  EXPECT_EQ(area->data(), nullptr);
  EXPECT_EQ(area->size(), 0u);
  EXPECT_EQ(area->Seal().error().code, EBADF) << "nothing left to seal";
  ASSERT_TRUE(moved.Seal().ok());
  EXPECT_TRUE(moved.sealed());
  EXPECT_EQ(moved.data()[7], 42);
  EXPECT_DEATH(moved.data()[7] = 10, "");
}

}  // namespace
}  // namespace velmora
