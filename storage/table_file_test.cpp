#include "storage/table_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/sys_error.h"
#include "storage/table_file_name.h"
#include "storage/table_test_support.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::DiskSize;
using testing::PeekLE32;
using testing::PokeLE32;
using testing::ScopedFaultHook;

class TableFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name = "Table") const { return dir_ / name; }
  std::string DiskPath(const std::string& name = "Table", uint32_t id = 0) const {
    return HashedTableFileName(Path(name), id);
  }
  // The engine's messages so far, each checked for caption and icon.
  std::vector<std::string> EngineTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : prompter_.messages()) {
      EXPECT_EQ(m.caption, "ZEQ Engine 2.0");
      EXPECT_EQ(m.icon, PromptIcon::kError);
      texts.push_back(m.text);
    }
    return texts;
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
};

struct FreshCase {
  UnitSize unit;
  int32_t free_units;
};

TEST_F(TableFileTest, FreshFileOfEveryUnitSizeIsOneStepWithItsCapacity) {
  const FreshCase cases[] = {
      {UnitSize::k1, 65017}, {UnitSize::k4, 16255}, {UnitSize::k12, 5418}, {UnitSize::k16, 4064},
      {UnitSize::k20, 3251}, {UnitSize::k24, 2709}, {UnitSize::k28, 2322}, {UnitSize::k32, 2032},
      {UnitSize::k36, 1806}, {UnitSize::k40, 1625}, {UnitSize::k48, 1354}, {UnitSize::k88, 738},
  };
  for (const FreshCase& c : cases) {
    SCOPED_TRACE(Bytes(c.unit));
    for (const bool via_open : {false, true}) {
      const std::string name = "T" + std::to_string(Bytes(c.unit)) + (via_open ? "o" : "c");
      TableFile table(prompter_, c.unit);
      ASSERT_TRUE(via_open ? table.OpenOrCreate(Path(name), 7) : table.Create(Path(name), 7));
      EXPECT_EQ(table.Count(), 0);
      EXPECT_EQ(table.FreeUnits(), c.free_units);
      table.Close();
      const std::string disk = DiskPath(name, 7);
      EXPECT_EQ(DiskSize(disk), 65536u);
      EXPECT_EQ(PeekLE32(disk, 0), 0x1B23325Fu);
      EXPECT_EQ(PeekLE32(disk, 4), 0x30060220u);
      EXPECT_EQ(PeekLE32(disk, 8), 65536u);
      EXPECT_EQ(PeekLE32(disk, 12), static_cast<uint32_t>(c.free_units));
      EXPECT_EQ(PeekLE32(disk, 16), 0u);
    }
  }
  EXPECT_TRUE(prompter_.messages().empty());
}

TEST_F(TableFileTest, AppendPastCapacityGrowsOneZeroedStep) {
  TableFile table(prompter_, UnitSize::k4);
  ASSERT_TRUE(table.Create(Path(), 0));
  for (int32_t i = 0; i < 16255; ++i) {
    ASSERT_EQ(table.Append(), i);
    table.SetEntry(i, 0xA5A5A5A5u);
  }
  EXPECT_EQ(table.FreeUnits(), 0);
  EXPECT_EQ(table.Append(), 16255);
  EXPECT_EQ(table.MappedSize(), 131072u);
  EXPECT_EQ(table.Count(), 16256);
  EXPECT_EQ(table.FreeUnits(), (131072 - 516) / 4 - 16256);
  table.Close();
  const std::string bytes = testing::ReadWholeFile(DiskPath());
  ASSERT_EQ(bytes.size(), 131072u);
  EXPECT_EQ(bytes.find_first_not_of('\0', 65536), std::string::npos);
  EXPECT_EQ(PeekLE32(DiskPath(), 8), 131072u);
}

// A damaged file is refused with the engine's reason and left on disk byte for byte as it was.
TEST_F(TableFileTest, DamagedFilesAreRefusedAndLeftUntouched) {
  struct Case {
    const char* what;
    UnitSize unit;
    int32_t units;  // appended before the damage
    void (*damage)(const std::string& disk);
    std::string text;
  } const cases[] = {
      {"zero bytes", UnitSize::k4, 0, [](const std::string& d) { testing::WriteWholeFile(d, ""); },
       "Can't open table: Bad Signature"},
      // Three steps hold the 5000 units; the file is cut inside the third.
      {"cut short", UnitSize::k32, 5000,
       [](const std::string& d) { std::filesystem::resize_file(d, 100000); },
       "Can't open table: Bad File Size"},
      {"count beyond capacity", UnitSize::k16, 0,
       [](const std::string& d) { PokeLE32(d, 16, 4065); },  // capacity is 4064
       "Can't open table: Bad File Size"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompter_.Clear();
    const std::string name = std::string("Damaged") + std::to_string(Bytes(c.unit));
    {
      TableFile table(prompter_, c.unit);
      ASSERT_TRUE(table.Create(Path(name), 0));
      ASSERT_GE(table.AppendMany(c.units), 0);
    }
    c.damage(DiskPath(name));
    const std::string before = testing::ReadWholeFile(DiskPath(name));
    TableFile table(prompter_, c.unit);
    EXPECT_FALSE(table.OpenOrCreate(Path(name), 0));
    EXPECT_FALSE(table.is_open());
    EXPECT_EQ(EngineTexts(), std::vector<std::string>{c.text});
    EXPECT_EQ(testing::ReadWholeFile(DiskPath(name)), before);
  }
}

TEST_F(TableFileTest, SecondOpenOrCreateOfAnOpenObjectIsRefusedAndKeepsTheFirst) {
  TableFile table(prompter_, UnitSize::k4);
  ASSERT_TRUE(table.OpenOrCreate(Path(), 0));
  ASSERT_EQ(table.Append(), 0);
  EXPECT_FALSE(table.OpenOrCreate(Path("Other"), 0));
  EXPECT_FALSE(table.Create(Path("Other"), 0));
  EXPECT_EQ(EngineTexts(),
            (std::vector<std::string>{"Can't open table: Object is already open",
                                      "Can't create table: Object is already open"}));
  EXPECT_TRUE(table.is_open());
  EXPECT_EQ(table.Count(), 1);
  EXPECT_FALSE(std::filesystem::exists(DiskPath("Other")));
}

TEST_F(TableFileTest, PathOf480CharactersIsAcceptedAnd481Refused) {
  const std::string folder = dir_.str() + "/";
  ASSERT_LT(folder.size(), 200u);
  const std::string path480 = folder + std::string(480 - folder.size(), 'n');
  const std::string path481 = path480 + "n";
  TableFile table(prompter_, UnitSize::k4);
  EXPECT_TRUE(table.OpenOrCreate(path480, 0));
  table.Close();
  EXPECT_TRUE(table.Create(path480, 0));
  table.Close();
  EXPECT_FALSE(table.OpenOrCreate(path481, 0));
  EXPECT_FALSE(table.Create(path481, 0));
  EXPECT_EQ(EngineTexts(), (std::vector<std::string>{"Can't open table: File name is too long",
                                                     "Can't create table: File name is too long"}));
}

TEST_F(TableFileTest, FileHeldByAnotherOpenerFailsWithTheSharingErrorAndIsNotTouched) {
  TableFile holder(prompter_, UnitSize::k4);
  ASSERT_TRUE(holder.Create(Path(), 0));
  ASSERT_EQ(holder.Append(), 0);
  holder.SetEntry(0, 42);

  TableFile other(prompter_, UnitSize::k4);
  EXPECT_FALSE(other.OpenOrCreate(Path(), 0));
  EXPECT_FALSE(other.Create(Path(), 0));
  const std::string suffix = SystemErrorSuffix(EWOULDBLOCK);
  EXPECT_EQ(EngineTexts(),
            (std::vector<std::string>{"Can't open table: CreateFile failed" + suffix,
                                      "Can't create table: CreateFile failed" + suffix}));
  EXPECT_EQ(holder.Count(), 1);
  EXPECT_EQ(holder.Entry(0), 42u);
  EXPECT_EQ(DiskSize(DiskPath()), 65536u);
}

TEST_F(TableFileTest, EachFailingStepOfOpenAndCreateHasItsMessage) {
  struct Case {
    MappedFileStep step;
    bool existing;  // open an existing file rather than create one
    std::string text;
  };
  const std::string suffix = SystemErrorSuffix(EACCES);
  const Case cases[] = {
      {MappedFileStep::kOpen, true, "Can't open table: CreateFile failed" + suffix},
      {MappedFileStep::kResize, true, "Can't open table: CreateFileMapping failed" + suffix},
      {MappedFileStep::kMap, true, "Can't open table: MapViewOfFile failed" + suffix},
      {MappedFileStep::kOpen, false, "Can't create table: CreateFile failed" + suffix},
      {MappedFileStep::kResize, false, "Can't create table: CreateFileMapping failed" + suffix},
      {MappedFileStep::kMap, false, "Can't create table: MapViewOfFile failed" + suffix},
  };
  { ASSERT_TRUE(TableFile(prompter_, UnitSize::k4).Create(Path(), 0)); }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    prompter_.Clear();
    ScopedFaultHook hook(
        [&](MappedFileStep step, const std::string&) { return step == c.step ? EACCES : 0; });
    TableFile table(prompter_, UnitSize::k4);
    EXPECT_FALSE(c.existing ? table.OpenOrCreate(Path(), 0) : table.Create(Path("New"), 0));
    EXPECT_FALSE(table.is_open());
    EXPECT_EQ(EngineTexts(), std::vector<std::string>{c.text});
  }
}

TEST_F(TableFileTest, UserHeaderIsWrittenOnCreateAndCopiedOutOnOpen) {
  std::vector<std::byte> identity(600);
  for (size_t i = 0; i < identity.size(); ++i) identity[i] = static_cast<std::byte>(i * 7 + 1);
  { ASSERT_TRUE(TableFile(prompter_, UnitSize::k40).Create(Path(), 0, identity)); }
  std::vector<std::byte> out(600, std::byte{0xEE});
  TableFile table(prompter_, UnitSize::k40);
  ASSERT_TRUE(table.OpenOrCreate(Path(), 0, out));
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 492, identity.begin()));
  EXPECT_EQ(out[492], std::byte{0xEE});  // only the 492 bytes there are
  EXPECT_EQ(table.UserHeader().size(), 492u);

  // Creating through OpenOrCreate leaves the user header zero and copies nothing out.
  std::vector<std::byte> untouched(16, std::byte{0xEE});
  TableFile fresh(prompter_, UnitSize::k40);
  ASSERT_TRUE(fresh.OpenOrCreate(Path("Fresh"), 0, untouched));
  EXPECT_EQ(untouched[0], std::byte{0xEE});
  for (std::byte b : fresh.UserHeader()) ASSERT_EQ(b, std::byte{0});
}

TEST_F(TableFileTest, ClosedObjectRefusesWorkQuietly) {
  TableFile table(prompter_, UnitSize::k4);
  EXPECT_EQ(table.Append(), -1);
  EXPECT_EQ(table.InsertAt(0), -1);
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.UnitAt(0), nullptr);
  EXPECT_TRUE(table.UserHeader().empty());
  table.Close();
  EXPECT_TRUE(prompter_.messages().empty());
}

// Random appends and inserts, across growth and reopening, against a vector.
TEST_F(TableFileTest, RandomAppendsAndInsertsMatchAVectorModel) {
  for (const UnitSize unit : {UnitSize::k4, UnitSize::k36, UnitSize::k88}) {
    SCOPED_TRACE(Bytes(unit));
    const std::string name = "Model" + std::to_string(Bytes(unit));
    std::mt19937 rng(Bytes(unit));
    std::vector<uint32_t> model;
    TableFile table(prompter_, unit);
    ASSERT_TRUE(table.Create(Path(name), 0));
    const int32_t target = 3 * table.Capacity() + 17;
    while (static_cast<int32_t>(model.size()) < target) {
      const uint32_t value = rng();
      int32_t pos;
      if (rng() % 4 == 0 && !model.empty()) {
        // Positions before the start and past the end too.
        const auto at = static_cast<int32_t>(rng() % (model.size() + 4)) - 2;
        pos = table.InsertAt(at);
        ASSERT_EQ(pos, std::clamp<int32_t>(at, 0, static_cast<int32_t>(model.size())));
        model.insert(model.begin() + pos, value);
      } else {
        pos = table.Append();
        ASSERT_EQ(pos, static_cast<int32_t>(model.size()));
        model.push_back(value);
      }
      StoreLE32(table.UnitAt(pos), value);
      if (model.size() == 1000) {  // the contents survive closing and reopening
        table.Close();
        ASSERT_TRUE(table.OpenOrCreate(Path(name), 0));
      }
    }
    ASSERT_EQ(table.Count(), static_cast<int32_t>(model.size()));
    EXPECT_EQ(table.Count() + table.FreeUnits(), table.Capacity());
    EXPECT_EQ(table.MappedSize() % 65536, 0u);
    EXPECT_EQ(DiskSize(table.disk_path()), table.MappedSize());
    for (size_t i = 0; i < model.size(); ++i) {
      ASSERT_EQ(LoadLE32(table.UnitAt(static_cast<int32_t>(i))), model[i]) << i;
    }
  }
  EXPECT_TRUE(prompter_.messages().empty());
}

}  // namespace
}  // namespace velmora
