// WorkspaceDatabase: the tables under a workspace's database/ folder, opened, created and closed
// as one unit. The registry (workspace_tables.h) lists them; the members, their accessors and
// every loop over the tables come from it.
//
// Users count: every Open that succeeds is paired with one Release. The count is -1 while the
// files are closed; the files stay open for 30 seconds after the last Release so that
// successive report requests do not reopen every table. The front end drives that delay:
// Release to 0 records a deadline, and CloseIfIdle (or CloseNow, when the program ends) closes
// the files if nobody opened them again meanwhile.
//
// One mutex guards the count and every open, create, close and release, held through each whole
// sequence, questions included. Between Open and Release one thread at a time uses the tables
// (the parse worker while parsing, the report side otherwise); the tables take no locks.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "core/tick_time.h"
#include "platform/clock.h"
#include "platform/prompter.h"
#include "storage/indexed_table.h"
#include "storage/records.h"
#include "storage/sequence_table.h"
#include "storage/string_table.h"
#include "storage/workspace_tables.h"

namespace velmora {

inline constexpr std::chrono::milliseconds kDatabaseIdleClose{30000};
inline constexpr int kInternalErrorExitCode = 214;
// The question "Remove all parsed data" asks first (Reset).
inline constexpr std::string_view kResetQuestion = "Remove all collected data from the workspace?";

class WorkspaceDatabase {
 public:
  using ExitHook = std::function<void(int code)>;

  // `workspace_folder` is the folder that holds database/ and reports/. `prompter` shows the
  // database's questions and, as owner of every table, the engine's messages.
  WorkspaceDatabase(Prompter& prompter, std::string workspace_folder);
  ~WorkspaceDatabase();
  WorkspaceDatabase(const WorkspaceDatabase&) = delete;
  WorkspaceDatabase& operator=(const WorkspaceDatabase&) = delete;

  // Makes the tables usable and counts one more user. Missing files are created empty. When a
  // table fails (its own message shown), closes everything and asks "Cannot open database"
  // with Retry (start again) and Cancel (return false).
  bool Open();
  // Counts one user less. More releases than opens show "Internal error #214" and end the
  // process with code 214 (through the exit hook).
  void Release();
  // Creates every table empty (truncating existing files) and leaves the database open with
  // one user, which the caller releases. Asks "Cannot create database" with Retry and Cancel.
  bool Create();
  // The "Remove all parsed data" command: confirms, creates the database anew and calls
  // `after_reset`, where the caller drops what was derived from the old data (the cached
  // reports) and reloads its view. False when declined or failed.
  bool Reset(const std::function<void()>& after_reset);
  // Reset without its own question, for a caller that has already had the user's consent.
  bool ResetConfirmed(const std::function<void()>& after_reset);

  // The lazy close. Closes the files when the deadline recorded by the last Release to 0 has
  // passed and the count is still 0; the deadline is cleared either way.
  void CloseIfIdle(SteadyClock::time_point now);
  std::optional<SteadyClock::time_point> idle_deadline() const;
  // Closes the files now unless someone holds a use (the program is ending).
  void CloseNow();
  int use_count() const;
  bool files_open() const;

  // Tests replace the process exit of Release's internal error.
  void SetExitHook(ExitHook hook) { exit_hook_ = std::move(hook); }

  const std::string& workspace_folder() const { return folder_; }
  // Folder-qualified path of table `name` ("<workspace>/database/<name>").
  std::string TablePath(std::string_view name) const;

  // ParsedLogs is not part of Open: the parse run opens it for each lookup and addition.
  // Whether `file_name` is listed; nullopt when the table could not be opened.
  std::optional<bool> IsLogParsed(std::string_view file_name);
  // Lists `file_name`; false when the table could not be opened or grown.
  bool AddParsedLog(std::string_view file_name);
  // Opens ParsedLogs, lets `use` read it and closes it again; false when it could not open.
  bool ReadParsedLogs(const std::function<void(const StringTable&)>& use);

  // The tables, usable between Open and Release: an accessor per part of the registry, named as
  // its row says (sessions(), session_details(), hourly(), ..., search_phrases_exact()). The
  // accessors of a table opened on demand are private: only the database opens it.
#define VELMORA_TABLE_ACCESS(constant, name, use, content) VELMORA_TABLE_ACCESS_##use
#define VELMORA_TABLE_ACCESS_kWithDatabase public:
#define VELMORA_TABLE_ACCESS_kOnDemand private:
#define VELMORA_TABLE_ACCESSOR(accessor, Type, slot, indexes) \
  Type& accessor() { return accessor##_; }
  VELMORA_WORKSPACE_TABLES(VELMORA_TABLE_ACCESS, VELMORA_TABLE_ACCESSOR)
#undef VELMORA_TABLE_ACCESS
#undef VELMORA_TABLE_ACCESS_kWithDatabase
#undef VELMORA_TABLE_ACCESS_kOnDemand
#undef VELMORA_TABLE_ACCESSOR

 public:
  // By catalogue name: the string table, sequence table or record table of `name`, or null.
  // Resources, UserAgents and Referers have both strings and records. ParsedLogs is not here.
  StringTable* FindStringTable(std::string_view name);
  SequenceTable* FindSequenceTable(std::string_view name);
  IndexedTable* FindRecordTable(std::string_view name);

 private:
  bool OpenAllLocked();
  bool CreateAllLocked();
  void CloseAllLocked();
  void EnsureDatabaseFolder() const;

  Prompter* prompter_;
  std::string folder_;
  ExitHook exit_hook_;
  mutable std::mutex mutex_;
  int use_count_ = -1;
  std::optional<SteadyClock::time_point> idle_deadline_;

  // A registry part: the member that holds its files, where they lie and how they are used.
  struct Part {
    std::string_view table;
    uint32_t slot = table_slot::kMain;
    TableUse use = TableUse::kWithDatabase;
    std::variant<IndexedTable*, StringTable*, SequenceTable*> files;

    // `table_path` is TablePath(table).
    bool OpenOrCreate(const std::string& table_path) const;
    bool Create(const std::string& table_path) const;
    void Close() const;
  };
  // Every part, in registry order.
  std::array<Part, kWorkspacePartCount> Parts();

  // A record table is told how many sorted indexes follow its record file; string and sequence
  // tables always have their three files.
  template <class Table>
  static Table MakeTable(Prompter& prompter, int indexes) {
    if constexpr (std::is_base_of_v<IndexedTable, Table>) {
      return Table(prompter, indexes);
    } else {
      return Table(prompter);
    }
  }

#define VELMORA_TABLE_MEMBER(accessor, Type, slot, indexes) \
  Type accessor##_ = MakeTable<Type>(*prompter_, indexes);
  VELMORA_WORKSPACE_TABLES(VELMORA_WORKSPACE_ROW_SKIPPED, VELMORA_TABLE_MEMBER)
#undef VELMORA_TABLE_MEMBER
};

}  // namespace velmora
