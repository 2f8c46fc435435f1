#include "storage/workspace_database.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <utility>
#include <variant>

#include "storage/database_catalogue.h"

namespace velmora {
namespace {

namespace n = table_name;
namespace fs = std::filesystem;

constexpr std::string_view kCannotOpen = "Cannot open database";
constexpr std::string_view kCannotCreate = "Cannot create database";
constexpr std::string_view kFailedToCreate = "Failed to create database";
constexpr std::string_view kInternalError214 = "Internal error #214";

// Create makes these tables first, in this order, and then the others in registry order. It is
// the order stored workspaces were created in: it decides which table's failure the user meets
// first and which files a failed create leaves behind.
constexpr std::string_view kCreatedFirst[] = {n::kReferers,   n::kResources, n::kUserAgents,
                                              n::kSessions,   n::kSpiders,   n::kHourly,
                                              n::kFileTraffic};

bool CreatedFirst(std::string_view table) {
  return std::ranges::find(kCreatedFirst, table) != std::end(kCreatedFirst);
}

// The first part of kind `Table` under table `name` that the database holds open, or null.
template <class Table, class Parts>
Table* FindPart(const Parts& parts, std::string_view name) {
  for (const auto& part : parts) {
    Table* const* table = std::get_if<Table*>(&part.files);
    if (table != nullptr && part.table == name && part.use == TableUse::kWithDatabase) {
      return *table;
    }
  }
  return nullptr;
}

}  // namespace

WorkspaceDatabase::WorkspaceDatabase(Prompter& prompter, std::string workspace_folder)
    : prompter_(&prompter),
      folder_(std::move(workspace_folder)),
      exit_hook_([](int code) { std::exit(code); }) {}

WorkspaceDatabase::~WorkspaceDatabase() {
  std::lock_guard lock(mutex_);
  CloseAllLocked();
}

std::string WorkspaceDatabase::TablePath(std::string_view name) const {
  std::string path = folder_;
  if (!path.empty() && path.back() != '/') path += '/';
  path += kDatabaseFolder;
  path += '/';
  path += name;
  return path;
}

std::array<WorkspaceDatabase::Part, kWorkspacePartCount> WorkspaceDatabase::Parts() {
  std::array<Part, kWorkspacePartCount> parts;
  size_t count = 0;
  std::string_view table;
  TableUse use = TableUse::kWithDatabase;
#define VELMORA_PART_TABLE(constant, name, table_use, content) \
  table = n::constant;                                         \
  use = TableUse::table_use;
#define VELMORA_PART_FILES(accessor, Type, slot, indexes) \
  parts[count++] = {table, table_slot::slot, use, &accessor##_};
  VELMORA_WORKSPACE_TABLES(VELMORA_PART_TABLE, VELMORA_PART_FILES)
#undef VELMORA_PART_TABLE
#undef VELMORA_PART_FILES
  return parts;
}

bool WorkspaceDatabase::Part::OpenOrCreate(const std::string& table_path) const {
  return std::visit([&](auto* table) { return table->OpenOrCreate(table_path, slot); }, files);
}

bool WorkspaceDatabase::Part::Create(const std::string& table_path) const {
  return std::visit([&](auto* table) { return table->Create(table_path, slot); }, files);
}

void WorkspaceDatabase::Part::Close() const {
  std::visit([](auto* table) { table->Close(); }, files);
}

bool WorkspaceDatabase::OpenAllLocked() {
  for (const Part& part : Parts()) {
    if (part.use == TableUse::kWithDatabase && !part.OpenOrCreate(TablePath(part.table))) {
      return false;
    }
  }
  return true;
}

bool WorkspaceDatabase::CreateAllLocked() {
  const auto parts = Parts();
  for (std::string_view table : kCreatedFirst) {
    for (const Part& part : parts) {
      if (part.table == table && !part.Create(TablePath(table))) return false;
    }
  }
  for (const Part& part : parts) {
    if (!CreatedFirst(part.table) && !part.Create(TablePath(part.table))) return false;
  }
  return true;
}

void WorkspaceDatabase::CloseAllLocked() {
  for (const Part& part : Parts()) part.Close();
}

// The workspace's own folder is made by whoever makes the workspace; only database/ inside an
// existing folder is made here, so that a table path never points into nowhere.
void WorkspaceDatabase::EnsureDatabaseFolder() const {
  std::error_code ec;
  if (fs::is_directory(folder_.empty() ? fs::path(".") : fs::path(folder_), ec)) {
    fs::create_directory(fs::path(TablePath("")).parent_path(), ec);
  }
}

bool WorkspaceDatabase::Open() {
  std::lock_guard lock(mutex_);
  if (use_count_ != -1) {
    ++use_count_;
    return true;
  }
  EnsureDatabaseFolder();
  while (!OpenAllLocked()) {
    CloseAllLocked();
    if (prompter_->Ask(kAppCaption, kCannotOpen, PromptButtons::kRetryCancel, PromptIcon::kError) !=
        PromptAnswer::kRetry) {
      return false;
    }
  }
  use_count_ = 1;
  return true;
}

void WorkspaceDatabase::Release() {
  {
    std::lock_guard lock(mutex_);
    if (use_count_ > 0) {
      if (--use_count_ == 0) idle_deadline_ = SteadyNow() + kDatabaseIdleClose;
      return;
    }
  }
  // More releases than opens: the count is left as it was for the (test) hook's sake.
  prompter_->ShowError(kAppCaption, kInternalError214);
  exit_hook_(kInternalErrorExitCode);
}

bool WorkspaceDatabase::Create() {
  std::lock_guard lock(mutex_);
  // The files are closed from here on; the count says so until creation succeeds, so that a
  // cancelled creation is not taken for an open database by the next Open.
  CloseAllLocked();
  use_count_ = -1;
  EnsureDatabaseFolder();
  while (!CreateAllLocked()) {
    CloseAllLocked();
    if (prompter_->Ask(kAppCaption, kCannotCreate, PromptButtons::kRetryCancel,
                       PromptIcon::kError) != PromptAnswer::kRetry) {
      return false;
    }
  }
  for (const Part& part : Parts()) {
    if (part.use == TableUse::kOnDemand) part.Close();
  }
  use_count_ = 1;
  return true;
}

bool WorkspaceDatabase::Reset(const std::function<void()>& after_reset) {
  if (prompter_->Ask(kAppCaption, kResetQuestion, PromptButtons::kYesNo, PromptIcon::kQuestion) !=
      PromptAnswer::kYes) {
    return false;
  }
  return ResetConfirmed(after_reset);
}

bool WorkspaceDatabase::ResetConfirmed(const std::function<void()>& after_reset) {
  if (!Create()) {
    prompter_->ShowError(kAppCaption, kFailedToCreate);
    return false;
  }
  Release();  // the use Create leaves; the files then close after the idle delay
  if (after_reset) after_reset();
  return true;
}

void WorkspaceDatabase::CloseIfIdle(SteadyClock::time_point now) {
  std::lock_guard lock(mutex_);
  if (!idle_deadline_ || now < *idle_deadline_) return;
  idle_deadline_.reset();
  if (use_count_ <= 0) {
    CloseAllLocked();
    use_count_ = -1;
  }
}

std::optional<SteadyClock::time_point> WorkspaceDatabase::idle_deadline() const {
  std::lock_guard lock(mutex_);
  return idle_deadline_;
}

void WorkspaceDatabase::CloseNow() {
  std::lock_guard lock(mutex_);
  if (use_count_ > 0) return;
  idle_deadline_.reset();
  CloseAllLocked();
  use_count_ = -1;
}

int WorkspaceDatabase::use_count() const {
  std::lock_guard lock(mutex_);
  return use_count_;
}

bool WorkspaceDatabase::files_open() const {
  std::lock_guard lock(mutex_);
  return sessions_.is_open();
}

std::optional<bool> WorkspaceDatabase::IsLogParsed(std::string_view file_name) {
  std::optional<bool> parsed;
  if (!ReadParsedLogs([&](const StringTable& logs) { parsed = logs.Find(file_name) >= 0; })) {
    return std::nullopt;
  }
  return parsed;
}

bool WorkspaceDatabase::AddParsedLog(std::string_view file_name) {
  std::lock_guard lock(mutex_);
  bool added = false;
  if (parsed_logs_.OpenOrCreate(TablePath(n::kParsedLogs), table_slot::kMain)) {
    added = parsed_logs_.FindOrAdd(file_name) >= 0;
  }
  parsed_logs_.Close();
  return added;
}

bool WorkspaceDatabase::ReadParsedLogs(const std::function<void(const StringTable&)>& use) {
  std::lock_guard lock(mutex_);
  const bool opened = parsed_logs_.OpenOrCreate(TablePath(n::kParsedLogs), table_slot::kMain);
  if (opened) use(parsed_logs_);
  parsed_logs_.Close();
  return opened;
}

StringTable* WorkspaceDatabase::FindStringTable(std::string_view name) {
  return FindPart<StringTable>(Parts(), name);
}

SequenceTable* WorkspaceDatabase::FindSequenceTable(std::string_view name) {
  return FindPart<SequenceTable>(Parts(), name);
}

IndexedTable* WorkspaceDatabase::FindRecordTable(std::string_view name) {
  return FindPart<IndexedTable>(Parts(), name);
}

}  // namespace velmora
