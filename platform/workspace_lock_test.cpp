#include "platform/workspace_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/workspace_layout.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

constexpr std::string_view kReaders =
    "Another velmora command is reading this workspace; try again when it ends";

std::string WriterBusy(pid_t pid) {
  return "Another parse run is using this workspace (process " + std::to_string(pid) + ")";
}

// A child process that takes the lock and holds it until it is killed.
class Holder {
 public:
  Holder(const std::string& folder, bool exclusive) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    pid_ = fork();
    if (pid_ == 0) {
      const Result<WorkspaceLock> held =
          exclusive ? WorkspaceLock::TryExclusive(folder) : WorkspaceLock::TryShared(folder);
      const char answer = held.ok() ? '1' : '0';
      static_cast<void>(write(ready[1], &answer, 1));
      for (;;) pause();
    }
    close(ready[1]);
    char answer = '0';
    EXPECT_EQ(read(ready[0], &answer, 1), 1);
    close(ready[0]);
    EXPECT_EQ(answer, '1') << "the holder could not take the lock";
  }
  ~Holder() { Kill(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

std::string LockFileText(const std::string& folder) {
  std::ifstream in(WorkspacePath(folder, kLockFileName));
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(WorkspaceLockTest, AttemptsThatDoNotWaitAgainstAnotherProcess) {
  enum Take { kWriter, kReader, kDeadWriter };
  struct Case {
    std::vector<Take> holders;  // started in this order; a dead writer is killed at once
    bool writer_attempts;
    bool granted;
    bool message_names_writer;  // else the readers' message, when refused
  } cases[] = {
      {{kWriter}, true, false, true},
      {{kWriter}, false, false, true},
      {{kReader}, true, false, false},
      {{kReader, kReader}, false, true, false},
      // The dead writer's lock went with it; the id it left names nobody.
      {{kDeadWriter}, true, true, false},
      {{kDeadWriter, kReader}, true, false, false},
  };
  for (const Case& c : cases) {
    const testing::TempDir dir;
    std::vector<std::unique_ptr<Holder>> holders;
    pid_t writer = 0;
    for (Take take : c.holders) {
      holders.push_back(std::make_unique<Holder>(dir.str(), take != kReader));
      if (take == kDeadWriter) holders.back()->Kill();
      if (take == kWriter) writer = holders.back()->pid();
    }
    const Result<WorkspaceLock> lock = c.writer_attempts ? WorkspaceLock::TryExclusive(dir.str())
                                                         : WorkspaceLock::TryShared(dir.str());
    const std::string row = "row " + std::to_string(&c - cases);
    ASSERT_EQ(lock.ok(), c.granted) << row;
    if (c.granted) continue;
    EXPECT_EQ(lock.error().kind, ErrorKind::kBusy) << row;
    EXPECT_EQ(lock.error().message,
              c.message_names_writer ? WriterBusy(writer) : std::string(kReaders))
        << row;
  }
}

TEST(WorkspaceLockTest, ReaderWaitsForTheWriterItNamesUntilTheWriterDies) {
  const testing::TempDir dir;
  Holder writer(dir.str(), /*exclusive=*/true);
  std::atomic<int64_t> named{-1};
  std::atomic<bool> done{false};
  std::thread reader([&] {
    const Result<WorkspaceLock> lock =
        WorkspaceLock::Shared(dir.str(), [&](int64_t pid) { named = pid; });
    EXPECT_TRUE(lock.ok());
    done = true;
  });
  while (named == -1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(named, writer.pid());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(done) << "the reader did not wait";
  writer.Kill();
  reader.join();
  EXPECT_TRUE(done);
}

TEST(WorkspaceLockTest, WriterIdStaysUntilTheLastOwnerDies) {
  const testing::TempDir dir;
  {
    WorkspaceLock kept;
    {
      Result<WorkspaceLock> first = WorkspaceLock::TryExclusive(dir.str());
      ASSERT_TRUE(first.ok());
      kept = std::move(first).value();
    }
    EXPECT_TRUE(kept.held());
    EXPECT_EQ(LockFileText(dir.str()), std::to_string(getpid()) + "\n");
    const Result<WorkspaceLock> second = WorkspaceLock::TryExclusive(dir.str());
    ASSERT_FALSE(second.ok()) << "two objects of one process exclude each other";
    EXPECT_EQ(second.error().message, WriterBusy(getpid()));
  }
  EXPECT_EQ(LockFileText(dir.str()), "");
  EXPECT_TRUE(WorkspaceLock::TryExclusive(dir.str()).ok());
}

}  // namespace
}  // namespace velmora
