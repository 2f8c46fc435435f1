#include "storage/run_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/workspace_layout.h"
#include "storage/table_test_support.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Folder name -> the text of its one file "t".
using Folders = std::map<std::string, std::string>;

class RunJournalTest : public ::testing::Test {
 protected:
  void Make(const Folders& folders) {
    for (const auto& [name, text] : folders) {
      fs::create_directories(dir_.path() / name);
      std::ofstream(dir_.path() / name / "t") << text;
    }
  }
  // What is there now, of the folders a journal may leave.
  Folders Present() const {
    Folders present;
    for (std::string_view name : {kDatabaseFolder, kRunUndoFolder, kRunUndoPartialFolder,
                                  kRunUndoDiscardFolder, kRunUndoneFolder}) {
      const fs::path path = dir_.path() / name;
      if (fs::exists(path))
        present[std::string(name)] = testing::ReadWholeFile((path / "t").string());
    }
    return present;
  }

  velmora::testing::TempDir dir_;
  RunJournal journal_{dir_.str()};
};

// Each state a crash can leave, and what Recover makes of it.
TEST_F(RunJournalTest, RecoverFinishesWhateverACrashLeft) {
  const std::string db(kDatabaseFolder), undo(kRunUndoFolder), partial(kRunUndoPartialFolder),
      discard(kRunUndoDiscardFolder), undone(kRunUndoneFolder);
  struct Case {
    const char* crash;
    Folders before;
    bool undone;
    std::string database;
  } cases[] = {
      {"no run", {{db, "old"}}, false, "old"},
      {"while the copy was made", {{db, "old"}, {partial, "ol"}}, false, "old"},
      {"during the run", {{db, "half"}, {undo, "old"}}, true, "old"},
      {"while putting back, tables set aside", {{undone, "half"}, {undo, "old"}}, true, "old"},
      {"while putting back, copy in place", {{db, "old"}, {undone, "half"}}, true, "old"},
      {"while dropping a committed copy", {{db, "new"}, {discard, "old"}}, false, "new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.crash);
    fs::remove_all(dir_.path());
    fs::create_directories(dir_.path());
    Make(c.before);
    const Result<bool> recovered = journal_.Recover();
    ASSERT_TRUE(recovered.ok()) << recovered.error().message;
    EXPECT_EQ(recovered.value(), c.undone);
    EXPECT_EQ(Present(), (Folders{{db, c.database}}));
    EXPECT_FALSE(journal_.HasUndoCopy());
  }
}

TEST_F(RunJournalTest, RollbackPutsTheTablesBackAndCommitKeepsThem) {
  for (const bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "commit" : "rollback");
    fs::remove_all(dir_.path());
    Make({{std::string(kDatabaseFolder), "before"}});
    ASSERT_TRUE(journal_.Begin().ok());
    EXPECT_TRUE(journal_.HasUndoCopy());
    std::ofstream(dir_.path() / kDatabaseFolder / "t") << "after";
    std::ofstream(dir_.path() / kDatabaseFolder / "grown") << "new table";
    ASSERT_TRUE((keep ? journal_.Commit() : journal_.Rollback()).ok());
    EXPECT_EQ(Present(), (Folders{{std::string(kDatabaseFolder), keep ? "after" : "before"}}));
    EXPECT_EQ(fs::exists(dir_.path() / kDatabaseFolder / "grown"), keep);
  }
}

}  // namespace
}  // namespace velmora
