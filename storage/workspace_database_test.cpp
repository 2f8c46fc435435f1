#include "storage/workspace_database.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sys_error.h"
#include "storage/database_catalogue.h"
#include "storage/database_keys.h"
#include "storage/index_order.h"
#include "storage/table_file_name.h"
#include "storage/table_test_support.h"
#include "tests/support/temp_dir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::ScopedFaultHook;

class WorkspaceDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.SetExitHook([this](int code) { exit_codes_.push_back(code); });
  }

  std::string DatabaseFolder() const { return dir_ / "database"; }
  std::string Disk(std::string_view table, uint32_t file_id) const {
    return HashedTableFileName(db_.TablePath(table), file_id);
  }
  // Every file of database/ with its bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(DatabaseFolder())) {
      files[entry.path().string()] = testing::ReadWholeFile(entry.path().string());
    }
    return files;
  }
  // A created database, released and closed.
  void CreateClosed() {
    ASSERT_TRUE(db_.Create());
    db_.Release();
    db_.CloseNow();
    ASSERT_EQ(db_.use_count(), -1);
  }

  velmora::testing::TempDir dir_;
  ScriptedPrompter prompter_;
  WorkspaceDatabase db_{prompter_, dir_.str()};
  std::vector<int> exit_codes_;
};

// The files in the order they are opened or created: table name and FileId.
using FileList = std::vector<std::pair<std::string_view, uint32_t>>;

FileList StringsOf(std::string_view table, uint32_t n) {
  const uint32_t id = (n | 0x1000u) << 16;
  return {{table, id}, {table, id + 1}, {table, id + 2}};
}
FileList RecordsOf(std::string_view table, uint32_t n, int companions) {
  FileList files{{table, n << 16}};
  for (int k = 1; k <= companions; ++k) files.emplace_back(table, (n << 16) + k);
  return files;
}
FileList Concat(std::initializer_list<FileList> parts) {
  FileList all;
  for (const FileList& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const FileList& OpenOrder() {
  namespace t = table_name;
  static const FileList order = Concat({
      RecordsOf(t::kSessions, 0, 2),
      RecordsOf(t::kSessions, 16, 0),
      RecordsOf(t::kHourly, 0, 1),
      RecordsOf(t::kFileTraffic, 0, 2),
      RecordsOf(t::kResources, 0, 1),
      StringsOf(t::kResources, 16),
      RecordsOf(t::kSpiders, 0, 1),
      StringsOf(t::kUserAgents, 0),
      RecordsOf(t::kUserAgents, 16, 0),
      StringsOf(t::kReferers, 0),
      RecordsOf(t::kReferers, 16, 0),
      StringsOf(t::kDownloads, 0),
      StringsOf(t::kImages, 0),
      StringsOf(t::kPages, 0),
      StringsOf(t::kErrors, 0),
      StringsOf(t::kBrowsers, 0),
      StringsOf(t::kOses, 0),
      StringsOf(t::kRefDomains, 0),
      StringsOf(t::kSearchFrases, 0),
      StringsOf(t::kSearchWords, 0),
      StringsOf(t::kSearchFrasesExact, 0),
  });
  return order;
}

const FileList& CreateOrder() {
  namespace t = table_name;
  static const FileList order = Concat({
      StringsOf(t::kReferers, 0),
      RecordsOf(t::kReferers, 16, 0),
      RecordsOf(t::kResources, 0, 1),
      StringsOf(t::kResources, 16),
      StringsOf(t::kUserAgents, 0),
      RecordsOf(t::kUserAgents, 16, 0),
      RecordsOf(t::kSessions, 0, 2),
      RecordsOf(t::kSessions, 16, 0),
      RecordsOf(t::kSpiders, 0, 1),
      RecordsOf(t::kHourly, 0, 1),
      RecordsOf(t::kFileTraffic, 0, 2),
      StringsOf(t::kDownloads, 0),
      StringsOf(t::kImages, 0),
      StringsOf(t::kPages, 0),
      StringsOf(t::kErrors, 0),
      StringsOf(t::kBrowsers, 0),
      StringsOf(t::kOses, 0),
      StringsOf(t::kRefDomains, 0),
      StringsOf(t::kSearchFrases, 0),
      StringsOf(t::kSearchWords, 0),
      StringsOf(t::kSearchFrasesExact, 0),
      StringsOf(t::kParsedLogs, 0),
  });
  return order;
}

TEST_F(WorkspaceDatabaseTest, CreateMakesEveryFileAndOpenVisitsThemInTheirOrders) {
  std::vector<std::string> seen;
  ScopedFaultHook hook([&](MappedFileStep step, const std::string& path) {
    if (step == MappedFileStep::kOpen) seen.push_back(path);
    return 0;
  });
  auto expected = [&](const FileList& files) {
    std::vector<std::string> paths;
    for (const auto& [table, id] : files) paths.push_back(Disk(table, id));
    return paths;
  };
  ASSERT_TRUE(db_.Create());
  EXPECT_EQ(db_.use_count(), 1);
  EXPECT_TRUE(db_.files_open());
  EXPECT_EQ(seen, expected(CreateOrder()));
  EXPECT_EQ(db_.IsLogParsed("a.log"), false);  // Create closed ParsedLogs again
  int files = 0;
  for (const auto& entry : fs::directory_iterator(DatabaseFolder())) {
    ++files;
    EXPECT_TRUE(entry.is_regular_file());
    EXPECT_EQ(entry.file_size(), 65536u) << entry.path();  // one step each
  }
  EXPECT_EQ(files, 57);
  EXPECT_TRUE(prompter_.messages().empty());
  db_.Release();
  db_.CloseNow();
  seen.clear();
  ASSERT_TRUE(db_.Open());
  EXPECT_EQ(seen, expected(OpenOrder()));  // ParsedLogs is not part of Open
  db_.Release();

  // The catalogue lists the tables as Open visits them, then ParsedLogs.
  std::vector<std::string_view> opened;
  for (const auto& [table, id] : OpenOrder()) {
    if (opened.empty() || opened.back() != table) opened.push_back(table);
  }
  opened.push_back(table_name::kParsedLogs);
  std::vector<std::string_view> listed;
  for (const CatalogueEntry& entry : DatabaseCatalogue()) listed.push_back(entry.name);
  EXPECT_EQ(listed, opened);
}

// Open and create stop at the first file that fails in their own order: its table's message is
// the one shown, once, and a failed create leaves exactly the files made before it.
TEST_F(WorkspaceDatabaseTest, FirstFailingFileInEachOrderStopsOpenAndCreate) {
  // Hourly's first index opens before the Referers records and is created after them.
  const std::set<std::string> failing = {Disk(table_name::kHourly, 1),
                                         Disk(table_name::kReferers, 0x00100000)};
  const std::string reason = "CreateFile failed" + SystemErrorSuffix(EACCES);
  struct Case {
    bool create;
    const FileList& order;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {false, OpenOrder(), {"Can't open table: " + reason, "Cannot open database"}},
      {true, CreateOrder(), {"Can't create table: " + reason, "Cannot create database"}},
  };
  CreateClosed();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.create ? "create" : "open");
    if (c.create) fs::remove_all(DatabaseFolder());
    prompter_.Clear();
    std::vector<std::string> seen;
    ScopedFaultHook hook([&](MappedFileStep step, const std::string& path) {
      if (step != MappedFileStep::kOpen) return 0;
      seen.push_back(path);
      return failing.contains(path) ? EACCES : 0;
    });
    EXPECT_FALSE(c.create ? db_.Create() : db_.Open());  // Cancel (the policy answer)

    std::vector<std::string> up_to_failure;
    for (const auto& [table, id] : c.order) {
      up_to_failure.push_back(Disk(table, id));
      if (failing.contains(up_to_failure.back())) break;
    }
    EXPECT_EQ(seen, up_to_failure);
    EXPECT_EQ(prompter_.texts(), c.texts);
    EXPECT_EQ(db_.use_count(), -1);
    EXPECT_FALSE(db_.files_open());
    if (c.create) {
      std::set<std::string> made, left;
      for (size_t i = 0; i + 1 < up_to_failure.size(); ++i) {
        made.insert(fs::path(up_to_failure[i]).filename().string());
      }
      for (const auto& [path, bytes] : Snapshot()) left.insert(fs::path(path).filename().string());
      EXPECT_EQ(left, made);
    }
  }
  ASSERT_TRUE(db_.Open());  // a later Open really opens the files
  EXPECT_TRUE(db_.files_open());
  db_.Release();
}

TEST_F(WorkspaceDatabaseTest, UseCountTheIdleCloseAndOneReleaseTooMany) {
  CreateClosed();
  ASSERT_TRUE(db_.Open());
  ASSERT_TRUE(db_.Open());
  EXPECT_EQ(db_.use_count(), 2);
  EXPECT_FALSE(db_.idle_deadline());
  db_.Release();
  db_.Release();
  EXPECT_EQ(db_.use_count(), 0);
  EXPECT_TRUE(db_.files_open());
  EXPECT_TRUE(exit_codes_.empty());
  ASSERT_TRUE(db_.idle_deadline());
  const auto deadline = *db_.idle_deadline();
  EXPECT_GE(deadline - SteadyNow(), std::chrono::seconds(29));

  db_.CloseIfIdle(deadline - std::chrono::milliseconds(1));
  EXPECT_TRUE(db_.files_open());
  ASSERT_TRUE(db_.Open());  // cancels nothing, raises the count again
  db_.CloseIfIdle(deadline);
  EXPECT_TRUE(db_.files_open());
  EXPECT_EQ(db_.use_count(), 1);
  EXPECT_FALSE(db_.idle_deadline());

  db_.Release();
  db_.CloseIfIdle(*db_.idle_deadline());
  EXPECT_FALSE(db_.files_open());
  EXPECT_EQ(db_.use_count(), -1);
  EXPECT_TRUE(prompter_.messages().empty());

  // More releases than opens end the process.
  db_.Release();
  EXPECT_EQ(exit_codes_, std::vector<int>{214});
  ASSERT_EQ(prompter_.messages().size(), 1u);
  EXPECT_EQ(prompter_.messages()[0].caption, "Velmora");
  EXPECT_EQ(prompter_.messages()[0].text, "Internal error #214");
  EXPECT_EQ(prompter_.messages()[0].buttons, PromptButtons::kOk);
}

TEST_F(WorkspaceDatabaseTest, DatabaseHeldByAnotherOpenerFailsWithTheSharingError) {
  CreateClosed();
  ASSERT_TRUE(db_.Open());
  ScriptedPrompter other_prompter;
  WorkspaceDatabase other(other_prompter, dir_.str());
  EXPECT_FALSE(other.Open());
  EXPECT_EQ(other_prompter.texts(),
            (std::vector<std::string>{
                "Can't open table: CreateFile failed" + SystemErrorSuffix(EWOULDBLOCK),
                "Cannot open database"}));
  EXPECT_EQ(db_.sessions().Count(), 0);
  db_.Release();
}

// Cancel is the policy answer the first-failing-file cases take; Retry tries the file again.
TEST_F(WorkspaceDatabaseTest, CreateFailureAnsweredRetryCreatesTheDatabase) {
  const std::string hourly = Disk(table_name::kHourly, 0);
  int failures_left = 1;
  ScopedFaultHook hook([&](MappedFileStep step, const std::string& path) {
    if (step != MappedFileStep::kOpen || path != hourly || failures_left == 0) return 0;
    --failures_left;
    return EACCES;
  });
  prompter_.QueueAnswer(PromptAnswer::kRetry);
  ASSERT_TRUE(db_.Create());
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"Can't create table: CreateFile failed" +
                                                             SystemErrorSuffix(EACCES),
                                                         "Cannot create database"}));
  EXPECT_TRUE(db_.files_open());
  db_.Release();
}

TEST_F(WorkspaceDatabaseTest, ResetThatCannotCreateSaysSo) {
  CreateClosed();
  ScopedFaultHook hook([](MappedFileStep step, const std::string&) {
    return step == MappedFileStep::kResize ? ENOSPC : 0;
  });
  prompter_.QueueAnswer(PromptAnswer::kYes);
  EXPECT_FALSE(db_.Reset(nullptr));
  const auto texts = prompter_.texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[2], "Cannot create database");
  EXPECT_EQ(texts[3], "Failed to create database");
  EXPECT_EQ(prompter_.messages()[3].icon, PromptIcon::kError);
}

TEST_F(WorkspaceDatabaseTest, ParsedLogsIsOpenedOnlyForEachLookupAndAddition) {
  CreateClosed();
  EXPECT_EQ(db_.IsLogParsed("20021205-0937.log.gz"), false);
  EXPECT_TRUE(db_.AddParsedLog("20021205-0937.log.gz"));
  EXPECT_TRUE(db_.AddParsedLog("20021205-0937.log.gz"));  // stored once
  EXPECT_EQ(db_.IsLogParsed("20021205-0937.log.gz"), true);
  EXPECT_EQ(db_.IsLogParsed("20021206-0000.log"), false);
  std::vector<std::string> names;
  EXPECT_TRUE(db_.ReadParsedLogs([&](const StringTable& logs) {
    for (int32_t id = 0; id < logs.Count(); ++id) names.emplace_back(logs.Get(id));
  }));
  EXPECT_EQ(names, std::vector<std::string>{"20021205-0937.log.gz"});
  // Closed again: another opener can take the file.
  StringTable other(prompter_);
  EXPECT_TRUE(other.OpenOrCreate(db_.TablePath(table_name::kParsedLogs), 0));
  EXPECT_EQ(db_.IsLogParsed("x"), std::nullopt);  // now it is held
  EXPECT_TRUE(prompter_.messages().size() == 1u);
}

TEST_F(WorkspaceDatabaseTest, CatalogueNamesEveryTableAndFindsItsParts) {
  const auto catalogue = DatabaseCatalogue();
  ASSERT_FALSE(catalogue.empty());
  for (const CatalogueEntry& entry : catalogue) {
    SCOPED_TRACE(std::string(entry.name));
    EXPECT_EQ(FindCatalogueEntry(entry.name), &entry);
    const bool strings = db_.FindStringTable(entry.name) != nullptr;
    const bool sequences = db_.FindSequenceTable(entry.name) != nullptr;
    IndexedTable* records = db_.FindRecordTable(entry.name);
    if (entry.name == table_name::kParsedLogs) {  // opened only by the database itself
      EXPECT_TRUE(!strings && !sequences && !records);
      continue;
    }
    const bool has_records =
        entry.shape == TableShape::kRecords || entry.shape == TableShape::kStringsAndRecords;
    EXPECT_EQ(strings,
              entry.shape == TableShape::kStrings || entry.shape == TableShape::kStringsAndRecords);
    EXPECT_EQ(sequences, entry.shape == TableShape::kSequences);
    ASSERT_EQ(records != nullptr, has_records);
    if (has_records) {
      EXPECT_EQ(records->companions(), entry.record_indexes);
    }
  }
  for (std::string_view unknown : {"sessions", "Session", ""}) {
    EXPECT_EQ(FindCatalogueEntry(unknown), nullptr);
    EXPECT_EQ(db_.FindStringTable(unknown), nullptr);
    EXPECT_EQ(db_.FindSequenceTable(unknown), nullptr);
    EXPECT_EQ(db_.FindRecordTable(unknown), nullptr);
  }
}

// Records are stored as their layouts say: 64-bit values low half first, little-endian words.
TEST_F(WorkspaceDatabaseTest, RecordsSurviveClosingAndLieAsTheLayoutSays) {
  CreateClosed();
  ASSERT_TRUE(db_.Open());
  SpiderHitRecord hit;
  hit.time.set(0x0123456789ABCDEFull);
  hit.user_agent = 7;
  hit.resource = -1;
  hit.status = 404;
  hit.bytes_received = 10;
  hit.bytes_sent = 20;
  ASSERT_EQ(db_.spiders().Append(hit), 0);
  ASSERT_EQ(db_.spiders().Append(hit), 1);
  RefererRecord referer{3, 4, 5, -1, 9};
  ASSERT_EQ(db_.referers().Append(referer), 0);
  db_.Release();
  db_.CloseNow();

  const std::string bytes = testing::ReadWholeFile(Disk(table_name::kSpiders, 0));
  const size_t unit1 = 512 + 28;
  EXPECT_EQ(LoadLE32(bytes.data() + unit1), 0x89ABCDEFu);
  EXPECT_EQ(LoadLE32(bytes.data() + unit1 + 4), 0x01234567u);
  EXPECT_EQ(LoadLE32(bytes.data() + unit1 + 12), 0xFFFFFFFFu);
  EXPECT_EQ(LoadLE32(bytes.data() + unit1 + 16), 404u);

  ASSERT_TRUE(db_.Open());
  const SpiderHitRecord back = db_.spiders().Get(1);
  EXPECT_EQ(back.time.value(), 0x0123456789ABCDEFull);
  EXPECT_EQ(back.bytes_sent, 20u);
  EXPECT_EQ(db_.referers().Get(0).exact_phrase, 9);
  EXPECT_EQ(db_.referers().Get(5).domain, -1);  // outside the table: a default record
  db_.Release();
}

}  // namespace
}  // namespace velmora
