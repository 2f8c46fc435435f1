// Growth failures (Retry and Cancel through the prompter, with faults injected into the mapped
// file), the size limit, and the hashed file names.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sys_error.h"
#include "storage/table_file.h"
#include "storage/table_file_name.h"
#include "storage/table_test_support.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::DiskSize;
using testing::ScopedFaultHook;

class TableGrowthTest : public ::testing::Test {
 protected:
  // A 4-byte table with every unit of its first step in use, entries 0..16254.
  void FillFirstStep(TableFile& table) {
    ASSERT_TRUE(table.Create(path_, 0));
    for (int32_t i = 0; i < 16255; ++i) table.SetEntry(table.Append(), static_cast<uint32_t>(i));
    ASSERT_EQ(table.FreeUnits(), 0);
  }
  // A hook failing `step` the first `times` calls with ENOSPC. The platform calls a copy of the
  // hook, so the count lives outside it.
  static MappedFileFaultHook FailTimes(MappedFileStep step, int times) {
    auto left = std::make_shared<int>(times);
    return [step, left](MappedFileStep s, const std::string&) {
      if (s != step || *left == 0) return 0;
      --*left;
      return ENOSPC;
    };
  }

  velmora::testing::TempDir dir_;
  std::string path_ = dir_ / "Grow";
  ScriptedPrompter prompter_;
};

// Retry grows the file after the failed step. Cancel closes the table; the file on disk keeps its
// old size and header, so it opens again with everything it held.
TEST_F(TableGrowthTest, FailedGrowthAsksRetryOrCancel) {
  const std::string mapping =
      "Can't expand table: CreateFileMapping failed" + SystemErrorSuffix(ENOSPC);
  const std::string view = "Can't expand table: MapViewOfFile failed";
  struct Case {
    MappedFileStep step;
    int failures;
    PromptAnswer last_answer;
    std::string text;
  };
  const Case cases[] = {
      {MappedFileStep::kResize, 1, PromptAnswer::kRetry, mapping},
      {MappedFileStep::kMap, 3, PromptAnswer::kRetry, view},
      {MappedFileStep::kResize, 1, PromptAnswer::kCancel, mapping},
      {MappedFileStep::kMap, 1, PromptAnswer::kCancel, view},
  };
  for (const Case& c : cases) {
    const bool retried = c.last_answer == PromptAnswer::kRetry;
    SCOPED_TRACE(c.text + (retried ? ", Retry" : ", Cancel"));
    prompter_.Clear();
    TableFile table(prompter_, UnitSize::k4);
    FillFirstStep(table);
    for (int i = 1; i < c.failures; ++i) prompter_.QueueAnswer(PromptAnswer::kRetry);
    prompter_.QueueAnswer(c.last_answer);
    {
      ScopedFaultHook hook(FailTimes(c.step, c.failures));
      EXPECT_EQ(table.Append(), retried ? 16255 : -1);
    }
    ASSERT_EQ(prompter_.messages().size(), static_cast<size_t>(c.failures));
    for (const auto& m : prompter_.messages()) {
      EXPECT_EQ(m.caption, "ZEQ Engine 2.0");
      EXPECT_EQ(m.text, c.text);
      EXPECT_EQ(m.buttons, PromptButtons::kRetryCancel);
      EXPECT_EQ(m.icon, PromptIcon::kError);
    }
    if (!retried) {
      EXPECT_FALSE(table.is_open());
      EXPECT_EQ(table.Append(), -1);  // every later use finds it closed
      EXPECT_EQ(DiskSize(HashedTableFileName(path_, 0)), 65536u);
      ASSERT_TRUE(table.OpenOrCreate(path_, 0));
      EXPECT_EQ(table.Count(), 16255);
      EXPECT_EQ(prompter_.messages().size(), 1u);
    }
    EXPECT_EQ(table.MappedSize(), retried ? 131072u : 65536u);
    EXPECT_EQ(table.Entry(16254), 16254u);
    EXPECT_EQ(table.Entry(16255), 0u);
    table.Close();
  }
}

// A batch that does not fit leaves nothing counted when its growth is cancelled.
TEST_F(TableGrowthTest, CancelledAppendManyCountsNothing) {
  TableFile table(prompter_, UnitSize::k1);
  ASSERT_TRUE(table.Create(path_, 0));
  ASSERT_EQ(table.AppendMany(65000), 0);
  prompter_.QueueAnswer(PromptAnswer::kCancel);
  ScopedFaultHook hook(FailTimes(MappedFileStep::kResize, 1));
  EXPECT_EQ(table.AppendMany(100), -1);
  ASSERT_TRUE(table.OpenOrCreate(path_, 0));
  EXPECT_EQ(table.Count(), 65000);
}

// A file at the size limit (sparse, so no disk is used) refuses to grow and stays usable.
TEST_F(TableGrowthTest, TableAtTheSizeLimitStopsGrowingAndStaysOpen) {
  constexpr uint32_t kLimitSize = 0x7FFF0000;  // >= 0x7FFFFFFE - 65536
  const auto capacity = static_cast<uint32_t>(table_format::Capacity(UnitSize::k88, kLimitSize));
  const std::string disk = HashedTableFileName(path_, 0);
  { ASSERT_TRUE(TableFile(prompter_, UnitSize::k88).Create(path_, 0)); }
  testing::PokeLE32(disk, 8, kLimitSize);
  testing::PokeLE32(disk, 16, capacity);
  std::filesystem::resize_file(disk, kLimitSize);

  TableFile table(prompter_, UnitSize::k88);
  ASSERT_TRUE(table.OpenOrCreate(path_, 0));
  EXPECT_EQ(table.FreeUnits(), 0);
  EXPECT_EQ(table.Append(), -1);
  EXPECT_EQ(table.AppendMany(1), -1);
  ASSERT_EQ(prompter_.messages().size(), 2u);
  EXPECT_EQ(prompter_.messages()[0].text, "Can't expand table: size limit reached");
  EXPECT_EQ(prompter_.messages()[0].buttons, PromptButtons::kOk);
  EXPECT_TRUE(table.is_open());
  EXPECT_EQ(table.Count(), static_cast<int32_t>(capacity));
  EXPECT_EQ(table.MappedSize(), kLimitSize);
  EXPECT_EQ(DiskSize(disk), kLimitSize);
}

// The file name CRC against a bit-by-bit reference of the MSB-first polynomial 0x04C11DB7.
uint32_t ReferenceCrc(const std::string& text, uint32_t file_id) {
  uint32_t reg = ~file_id;
  for (char c : text) {
    const auto lower = static_cast<uint8_t>((c >= 'A' && c <= 'Z') ? c + 32 : c);
    reg ^= uint32_t{lower} << 24;
    for (int bit = 0; bit < 8; ++bit)
      reg = (reg & 0x80000000u) ? (reg << 1) ^ 0x04C11DB7u : reg << 1;
  }
  return ~reg;
}

// The name is the CRC in lower-case hex without leading zeros; the case of the name does not
// matter, and the FileId separates a table's files.
TEST(TableFileNameTest, NameIsTheHexCrcOfTheFinalComponentWithExtension) {
  EXPECT_EQ(ReferenceCrc("123456789", 0), 0xFC891918u);  // CRC-32/BZIP2 check value
  struct Case {
    std::string path;
    uint32_t file_id;
    std::string folder;
    std::string component;
  };
  std::vector<Case> cases = {
      {"ws/database/Sessions", 0, "ws/database/", "sessions.zeq"},
      {"ws/database/Sessions", 0x00100000, "ws/database/", "sessions.zeq"},
      {"ws/database/Resources", 0x10100002, "ws/database/", "resources.zeq"},
      {"Hourly", 1, "", "hourly.zeq"},
      {"/abs/Dir.With.Dots/MiXeD", 0xFFFFFFFF, "/abs/Dir.With.Dots/", "mixed.zeq"},
  };
  // Add a short name whose CRC has a leading zero nibble, to see it dropped.
  for (int i = 0; i < 200; ++i) {
    const std::string component = "t" + std::to_string(i) + ".zeq";
    if (ReferenceCrc(component, 0) < 0x10000000u) {
      cases.push_back({"d/T" + std::to_string(i), 0, "d/", component});
      break;
    }
  }
  ASSERT_EQ(cases.size(), 6u);
  for (const Case& c : cases) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%x", ReferenceCrc(c.component, c.file_id));
    EXPECT_EQ(HashedTableFileName(c.path, c.file_id), c.folder + hex) << c.path;
    EXPECT_EQ(TableNameCrc(c.component, c.file_id), ReferenceCrc(c.component, c.file_id));
  }
  EXPECT_NE(HashedTableFileName("d/Pages", 0x10000000), HashedTableFileName("d/Pages", 0x10000001));
}

}  // namespace
}  // namespace velmora
