#include "platform/mapped_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

#include "platform/sys_error.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

using testing::TempDir;

class MappedFileTest : public ::testing::Test {
 protected:
  // A file of `size` bytes, mapped whole.
  MappedFile CreateMapped(const std::string& path, size_t size) {
    MappedFile file;
    EXPECT_TRUE(file.Open(path, FileOpenMode::kCreateAlways).ok());
    EXPECT_TRUE(file.Resize(size).ok());
    EXPECT_TRUE(file.Map(size).ok());
    return file;
  }

  TempDir dir_;
};

TEST_F(MappedFileTest, WritesThroughTheViewReachTheFileUntilCreateAlwaysTruncatesIt) {
  const std::string path = dir_ / "t.dat";
  {
    MappedFile file = CreateMapped(path, 4096);
    std::memcpy(file.data(), "persisted", 9);
  }
  MappedFile again;
  ASSERT_TRUE(again.Open(path, FileOpenMode::kExisting).ok());
  ASSERT_TRUE(again.Map(4096).ok());
  EXPECT_EQ(std::memcmp(again.data(), "persisted", 9), 0);
  again.Close();
  MappedFile created;
  ASSERT_TRUE(created.Open(path, FileOpenMode::kCreateAlways).ok());
  EXPECT_EQ(*created.FileSize(), 0u);
}

TEST_F(MappedFileTest, SecondOpenOfAHeldFileFailsWithWouldBlock) {
  const std::string path = dir_ / "t.dat";
  MappedFile first = CreateMapped(path, 4096);
  std::memcpy(first.data(), "keep", 4);

  for (FileOpenMode mode : {FileOpenMode::kExisting, FileOpenMode::kCreateAlways}) {
    MappedFile second;
    const Status status = second.Open(path, mode);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, EWOULDBLOCK);
    EXPECT_EQ(SystemErrorSuffix(status.error().code),
              ". Error #b:Resource temporarily unavailable");
    EXPECT_FALSE(second.is_open());
  }
  // A refused kCreateAlways must not have truncated the holder's file.
  EXPECT_EQ(*first.FileSize(), 4096u);
  EXPECT_EQ(std::memcmp(first.data(), "keep", 4), 0);

  first.Close();
  MappedFile third;
  EXPECT_TRUE(third.Open(path, FileOpenMode::kExisting).ok());
}

TEST_F(MappedFileTest, FailuresCarryTheErrno) {
  struct Case {
    const char* name;
    std::string path;
    FileOpenMode mode;
    int code;
  };
  const Case cases[] = {
      {"missing file", dir_ / "missing.dat", FileOpenMode::kExisting, ENOENT},
      {"missing folder", dir_ / "no/such/t.dat", FileOpenMode::kCreateAlways, ENOENT},
      {"a folder", dir_.str(), FileOpenMode::kExisting, EISDIR},
  };
  for (const Case& c : cases) {
    MappedFile file;
    const Status status = file.Open(c.path, c.mode);
    ASSERT_FALSE(status.ok()) << c.name;
    EXPECT_EQ(status.error().code, c.code) << c.name;
    EXPECT_EQ(status.error().message, SystemErrorText(c.code)) << c.name;
    EXPECT_FALSE(file.is_open()) << c.name;
  }
}

TEST_F(MappedFileTest, MisuseFailsInsteadOfFaulting) {
  MappedFile closed;
  EXPECT_EQ(closed.Resize(10).error().code, EBADF);
  EXPECT_EQ(closed.Map(10).error().code, EBADF);
  EXPECT_EQ(closed.FileSize().error().code, EBADF);

  MappedFile file = CreateMapped(dir_ / "t.dat", 8192);
  EXPECT_EQ(file.Map(0).error().code, EINVAL);
  EXPECT_EQ(file.Map(16384).error().code, EINVAL) << "view longer than the file";
  ASSERT_TRUE(file.Map(8192).ok());
  EXPECT_EQ(file.Resize(4096).error().code, EBUSY) << "shrinking under a view";
  file.Unmap();
  EXPECT_TRUE(file.Resize(4096).ok());
}

TEST_F(MappedFileTest, MovesTransferOwnership) {
  const std::string path = dir_ / "t.dat";
  MappedFile a = CreateMapped(path, 4096);
  unsigned char* view = a.data();
  view[0] = 'x';

  MappedFile b(std::move(a));
  EXPECT_FALSE(a.is_open());  // NOLINT(bugprone-use-after-move): moved-from state is specified
  EXPECT_EQ(a.data(), nullptr);
  EXPECT_TRUE(b.is_open());
  EXPECT_EQ(b.data(), view);
  EXPECT_EQ(b.path(), path);

  MappedFile c = CreateMapped(dir_ / "other.dat", 4096);
  c = std::move(b);  // closes c's own file first
  EXPECT_EQ(c.data(), view);
  EXPECT_EQ(c.data()[0], 'x');
  MappedFile other;
  EXPECT_TRUE(other.Open(dir_ / "other.dat", FileOpenMode::kExisting).ok());

  MappedFile d;
  EXPECT_FALSE(d.Open(path, FileOpenMode::kExisting).ok()) << "lock moved with the file";
  c = MappedFile();
  EXPECT_TRUE(d.Open(path, FileOpenMode::kExisting).ok()) << "lock released by the move";
}

}  // namespace
}  // namespace velmora
