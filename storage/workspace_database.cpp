#include "storage/workspace_database.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "storage/database_catalogue.h"

namespace velmora {
namespace {

namespace n = table_name;
namespace fs = std::filesystem;

constexpr std::string_view kCannotOpen = "Cannot open database";
constexpr std::string_view kCannotCreate = "Cannot create database";
constexpr std::string_view kFailedToCreate = "Failed to create database";
constexpr std::string_view kInternalError214 = "Internal error #214";
constexpr std::string_view kResetQuestion = "Remove all collected data from the workspace?";
constexpr std::string_view kResetOfferQuestion =
    "The workspace database cannot be opened. Would you like to reset the database?";

// Table numbers of the composites (FileIds in heap_table_files.h and indexed_table.h).
constexpr uint32_t kMain = 0;
constexpr uint32_t kSecond = 16;

}  // namespace

WorkspaceDatabase::WorkspaceDatabase(Prompter& prompter, std::string workspace_folder)
    : prompter_(&prompter),
      folder_(std::move(workspace_folder)),
      exit_hook_([](int code) { std::exit(code); }),
      sessions_(prompter, 2),
      session_details_(prompter, 0),
      hourly_(prompter, 1),
      file_traffic_(prompter, 2),
      error_records_(prompter, 1),
      resources_(prompter),
      spiders_(prompter, 1),
      user_agent_strings_(prompter),
      user_agents_(prompter, 0),
      referer_strings_(prompter),
      referers_(prompter, 0),
      downloads_(prompter),
      images_(prompter),
      pages_(prompter),
      errors_(prompter),
      browsers_(prompter),
      oses_(prompter),
      ref_domains_(prompter),
      search_phrases_(prompter),
      search_words_(prompter),
      search_phrases_exact_(prompter),
      parsed_logs_(prompter) {}

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

bool WorkspaceDatabase::OpenAllLocked() {
  auto p = [this](std::string_view name) { return TablePath(name); };
  return sessions_.OpenOrCreate(p(n::kSessions), kMain) &&
         session_details_.OpenOrCreate(p(n::kSessions), kSecond) &&
         hourly_.OpenOrCreate(p(n::kHourly), kMain) &&
         file_traffic_.OpenOrCreate(p(n::kFileTraffic), kMain) &&
         error_records_.OpenOrCreate(p(n::kResources), kMain) &&
         resources_.OpenOrCreate(p(n::kResources), kSecond) &&
         spiders_.OpenOrCreate(p(n::kSpiders), kMain) &&
         user_agent_strings_.OpenOrCreate(p(n::kUserAgents), kMain) &&
         user_agents_.OpenOrCreate(p(n::kUserAgents), kSecond) &&
         referer_strings_.OpenOrCreate(p(n::kReferers), kMain) &&
         referers_.OpenOrCreate(p(n::kReferers), kSecond) &&
         downloads_.OpenOrCreate(p(n::kDownloads), kMain) &&
         images_.OpenOrCreate(p(n::kImages), kMain) && pages_.OpenOrCreate(p(n::kPages), kMain) &&
         errors_.OpenOrCreate(p(n::kErrors), kMain) &&
         browsers_.OpenOrCreate(p(n::kBrowsers), kMain) && oses_.OpenOrCreate(p(n::kOses), kMain) &&
         ref_domains_.OpenOrCreate(p(n::kRefDomains), kMain) &&
         search_phrases_.OpenOrCreate(p(n::kSearchFrases), kMain) &&
         search_words_.OpenOrCreate(p(n::kSearchWords), kMain) &&
         search_phrases_exact_.OpenOrCreate(p(n::kSearchFrasesExact), kMain);
}

bool WorkspaceDatabase::CreateAllLocked() {
  auto p = [this](std::string_view name) { return TablePath(name); };
  return referer_strings_.Create(p(n::kReferers), kMain) &&
         referers_.Create(p(n::kReferers), kSecond) &&
         error_records_.Create(p(n::kResources), kMain) &&
         resources_.Create(p(n::kResources), kSecond) &&
         user_agent_strings_.Create(p(n::kUserAgents), kMain) &&
         user_agents_.Create(p(n::kUserAgents), kSecond) &&
         sessions_.Create(p(n::kSessions), kMain) &&
         session_details_.Create(p(n::kSessions), kSecond) &&
         spiders_.Create(p(n::kSpiders), kMain) && hourly_.Create(p(n::kHourly), kMain) &&
         file_traffic_.Create(p(n::kFileTraffic), kMain) &&
         downloads_.Create(p(n::kDownloads), kMain) && images_.Create(p(n::kImages), kMain) &&
         pages_.Create(p(n::kPages), kMain) && errors_.Create(p(n::kErrors), kMain) &&
         browsers_.Create(p(n::kBrowsers), kMain) && oses_.Create(p(n::kOses), kMain) &&
         ref_domains_.Create(p(n::kRefDomains), kMain) &&
         search_phrases_.Create(p(n::kSearchFrases), kMain) &&
         search_words_.Create(p(n::kSearchWords), kMain) &&
         search_phrases_exact_.Create(p(n::kSearchFrasesExact), kMain) &&
         parsed_logs_.Create(p(n::kParsedLogs), kMain);
}

void WorkspaceDatabase::CloseAllLocked() {
  sessions_.Close();
  session_details_.Close();
  hourly_.Close();
  file_traffic_.Close();
  error_records_.Close();
  resources_.Close();
  spiders_.Close();
  user_agent_strings_.Close();
  user_agents_.Close();
  referer_strings_.Close();
  referers_.Close();
  downloads_.Close();
  images_.Close();
  pages_.Close();
  errors_.Close();
  browsers_.Close();
  oses_.Close();
  ref_domains_.Close();
  search_phrases_.Close();
  search_words_.Close();
  search_phrases_exact_.Close();
  parsed_logs_.Close();
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
  parsed_logs_.Close();
  use_count_ = 1;
  return true;
}

bool WorkspaceDatabase::Reset(const std::function<void()>& reload_report_view) {
  if (prompter_->Ask(kAppCaption, kResetQuestion, PromptButtons::kYesNo, PromptIcon::kQuestion) !=
      PromptAnswer::kYes) {
    return false;
  }
  return ResetConfirmed(reload_report_view);
}

bool WorkspaceDatabase::ResetConfirmed(const std::function<void()>& reload_report_view) {
  if (!Create()) {
    prompter_->ShowError(kAppCaption, kFailedToCreate);
    return false;
  }
  Release();  // the use Create leaves; the files then close after the idle delay
  DeleteReportFiles();
  if (reload_report_view) reload_report_view();
  return true;
}

void WorkspaceDatabase::DeleteReportFiles() const {
  fs::path reports = folder_.empty() ? fs::path(".") : fs::path(folder_);
  reports /= kReportsFolder;
  std::error_code ec;
  for (fs::directory_iterator it(reports, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kind_ec;
    if (!it->is_directory(kind_ec) || it->is_symlink(kind_ec)) {
      std::error_code remove_ec;
      fs::remove(it->path(), remove_ec);
    }
  }
}

Ticks WorkspaceDatabase::ReferenceDay(int your_time_zone_minutes, Ticks utc_now) {
  const TableFile& by_hour = hourly_.index(1);
  Ticks day;
  if (hourly_.Count() == 0 || by_hour.Count() == 0) {
    const int64_t offset = int64_t{your_time_zone_minutes} * static_cast<int64_t>(kTicksPerMinute);
    day = utc_now + static_cast<Ticks>(offset);
  } else {
    const auto last = static_cast<int32_t>(by_hour.Entry(by_hour.Count() - 1));
    day = hourly_.Get(last).hour.value() + kTicksPerDay;
  }
  return StartOfDay(day);
}

ReportLoad WorkspaceDatabase::LoadForReports(int your_time_zone_minutes, Ticks utc_now) {
  if (Open()) {
    ReportLoad load{ReportLoad::Outcome::kOpened, ReferenceDay(your_time_zone_minutes, utc_now)};
    Release();
    return load;
  }
  if (prompter_->Ask(kAppCaption, kResetOfferQuestion, PromptButtons::kYesNo,
                     PromptIcon::kQuestion) == PromptAnswer::kYes &&
      Create()) {
    ReportLoad load{ReportLoad::Outcome::kRecreated, ReferenceDay(your_time_zone_minutes, utc_now)};
    Release();
    return load;
  }
  return {};
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
  if (parsed_logs_.OpenOrCreate(TablePath(n::kParsedLogs), kMain)) {
    added = parsed_logs_.FindOrAdd(file_name) >= 0;
  }
  parsed_logs_.Close();
  return added;
}

bool WorkspaceDatabase::ReadParsedLogs(const std::function<void(const StringTable&)>& use) {
  std::lock_guard lock(mutex_);
  const bool opened = parsed_logs_.OpenOrCreate(TablePath(n::kParsedLogs), kMain);
  if (opened) use(parsed_logs_);
  parsed_logs_.Close();
  return opened;
}

StringTable* WorkspaceDatabase::FindStringTable(std::string_view name) {
  const std::pair<std::string_view, StringTable*> tables[] = {
      {n::kResources, &resources_},
      {n::kUserAgents, &user_agent_strings_},
      {n::kReferers, &referer_strings_},
      {n::kBrowsers, &browsers_},
      {n::kOses, &oses_},
      {n::kRefDomains, &ref_domains_},
      {n::kSearchWords, &search_words_},
      {n::kSearchFrasesExact, &search_phrases_exact_},
  };
  for (const auto& [table, pointer] : tables) {
    if (table == name) return pointer;
  }
  return nullptr;
}

SequenceTable* WorkspaceDatabase::FindSequenceTable(std::string_view name) {
  const std::pair<std::string_view, SequenceTable*> tables[] = {
      {n::kDownloads, &downloads_},
      {n::kImages, &images_},
      {n::kPages, &pages_},
      {n::kErrors, &errors_},
      {n::kSearchFrases, &search_phrases_},
  };
  for (const auto& [table, pointer] : tables) {
    if (table == name) return pointer;
  }
  return nullptr;
}

IndexedTable* WorkspaceDatabase::FindRecordTable(std::string_view name) {
  const std::pair<std::string_view, IndexedTable*> tables[] = {
      {n::kSessions, &sessions_},       {n::kHourly, &hourly_},   {n::kFileTraffic, &file_traffic_},
      {n::kResources, &error_records_}, {n::kSpiders, &spiders_}, {n::kUserAgents, &user_agents_},
      {n::kReferers, &referers_},
  };
  for (const auto& [table, pointer] : tables) {
    if (table == name) return pointer;
  }
  return nullptr;
}

}  // namespace velmora
