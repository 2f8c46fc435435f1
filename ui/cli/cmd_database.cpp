// Database commands: dump (the records of one table as JSON lines) and reset ("Remove all
// parsed data").
#include <cstdio>
#include <functional>

#include "app/database_operations.h"
#include "app/record_json.h"
#include "storage/database_catalogue.h"
#include "ui/cli/commands.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct DumpOptions {
  std::string table;
  int index = 0;  // 0: in id order; N: walk sorted index N
  bool errors = false;
};

std::string TableNames() {
  std::string names;
  for (const CatalogueEntry& entry : DatabaseCatalogue()) {
    if (!names.empty()) names += ", ";
    names += entry.name;
  }
  return names;
}

// Walks ids in id order, or in the order of `index` (4-byte record numbers) adding "pos".
void Walk(int32_t count, const TableFile* index,
          const std::function<void(nlohmann::json&, int32_t id)>& fill) {
  auto emit = [&](int32_t id, int32_t pos) {
    nlohmann::json line;
    if (pos >= 0) line["pos"] = pos;
    line["id"] = id;
    fill(line, id);
    std::fputs((JsonLine(line) + "\n").c_str(), stdout);
  };
  if (index == nullptr) {
    for (int32_t id = 0; id < count; ++id) emit(id, -1);
    return;
  }
  for (int32_t pos = 0; pos < index->Count(); ++pos) {
    emit(static_cast<int32_t>(index->Entry(pos)), pos);
  }
}

void DumpStrings(const StringTable& table, bool by_index) {
  Walk(table.Count(), by_index ? &table.index() : nullptr,
       [&](nlohmann::json& line, int32_t id) { line["text"] = std::string(table.Get(id)); });
}

void DumpSequences(const SequenceTable& table, bool by_index) {
  Walk(table.Count(), by_index ? &table.index() : nullptr,
       [&](nlohmann::json& line, int32_t id) { line["values"] = table.Get(id).ToVector(); });
}

template <class R>
void DumpRecords(RecordTable<R>& table, int index) {
  Walk(table.Count(), index > 0 ? &table.index(index) : nullptr,
       [&](nlohmann::json& line, int32_t id) { AddFields(line, table.Get(id)); });
}

// Tables with strings and a record per string: the string with its record.
template <class R>
void DumpStringsWithRecords(const StringTable& strings, RecordTable<R>& records, bool by_index) {
  Walk(strings.Count(), by_index ? &strings.index() : nullptr,
       [&](nlohmann::json& line, int32_t id) {
         line["text"] = std::string(strings.Get(id));
         AddFields(line, records.Get(id));
       });
}

int DumpOpen(WorkspaceDatabase& db, const CatalogueEntry& entry, const DumpOptions& options) {
  const std::string_view name = entry.name;
  const bool by_index = options.index > 0;
  namespace t = table_name;
  if (name == t::kSessions) {
    Walk(db.sessions().Count(), by_index ? &db.sessions().index(options.index) : nullptr,
         [&](nlohmann::json& line, int32_t id) {
           AddFields(line, db.sessions().Get(id));
           AddFields(line, WithoutCacheSlots(db.session_details().Get(id)));
         });
  } else if (name == t::kHourly) {
    DumpRecords(db.hourly(), options.index);
  } else if (name == t::kFileTraffic) {
    DumpRecords(db.file_traffic(), options.index);
  } else if (name == t::kSpiders) {
    DumpRecords(db.spiders(), options.index);
  } else if (name == t::kResources) {
    if (options.errors) {
      DumpRecords(db.error_records(), options.index);
    } else {
      DumpStrings(db.resources(), by_index);
    }
  } else if (name == t::kUserAgents) {
    DumpStringsWithRecords(db.user_agent_strings(), db.user_agents(), by_index);
  } else if (name == t::kReferers) {
    DumpStringsWithRecords(db.referer_strings(), db.referers(), by_index);
  } else if (StringTable* strings = db.FindStringTable(name)) {
    DumpStrings(*strings, by_index);
  } else if (SequenceTable* sequences = db.FindSequenceTable(name)) {
    DumpSequences(*sequences, by_index);
  } else {
    return Fail("table " + std::string(name) + " cannot be dumped");
  }
  return kExitOk;
}

// The sorted indexes a table has: record tables their companions, string and sequence tables
// their one sorted index (Resources: its strings' index, or with --errors its error index).
int IndexCount(const CatalogueEntry& entry) {
  return entry.shape == TableShape::kRecords ? entry.record_indexes : 1;
}

int RunDump(CliContext& context, const DumpOptions& options) {
  const CatalogueEntry* entry = FindCatalogueEntry(options.table);
  if (entry == nullptr) {
    return UsageError("unknown table '" + options.table + "'; the tables are: " + TableNames());
  }
  if (options.errors && entry->name != table_name::kResources) {
    return UsageError("--errors belongs to the Resources table");
  }
  if (options.index < 0 || options.index > IndexCount(*entry)) {
    return UsageError("table " + options.table + " has sorted index 1" +
                      (IndexCount(*entry) == 2 ? " and 2" : "") + " only");
  }
  CliSession session(context);
  if (int rc = session.OpenForDatabase(DatabaseAccess::kRead); rc != kExitOk) return rc;
  WorkspaceDatabase& db = *session.workspace().database();
  if (entry->name == table_name::kParsedLogs) {
    const bool read = db.ReadParsedLogs(
        [&](const StringTable& parsed) { DumpStrings(parsed, options.index > 0); });
    return read ? kExitOk : Fail("the ParsedLogs table cannot be opened");
  }
  if (!db.Open()) return kExitFailure;  // the database has shown why
  const int rc = DumpOpen(db, *entry, options);
  db.Release();
  return rc;
}

int RunReset(CliContext& context) {
  CliSession session(context);
  if (Status removed = RemoveAllParsedData(session.session(), context.workspace_arg);
      !removed.ok()) {
    return ReportFailure(removed.error());
  }
  std::printf("All parsed data removed from workspace %s\n",
              session.workspace().file_path().c_str());
  return kExitOk;
}

}  // namespace

void RegisterDatabaseCommands(CommandTable& table) {
  auto options = std::make_shared<DumpOptions>();
  CLI::App* dump = table.Add("dump", "records of a database table as JSON lines (ids included)",
                             [options](CliContext& c) { return RunDump(c, *options); });
  dump->add_option("TABLE", options->table, "the table: " + TableNames())->required();
  dump->add_option("--index", options->index,
                   "walk sorted index N (1 or 2) instead of id order; adds \"pos\"");
  dump->add_flag("--errors", options->errors, "Resources: the error records, not the paths");
  dump->footer(
      "\nExamples:\n  velmora dump Sessions --index 2    visits by time of their last request\n"
      "  velmora dump Resources --errors     every distinct error (status, resource, referrer)");

  table
      .Add("reset", "\"Remove all parsed data\": empty the database and the report cache", RunReset)
      ->footer("\nAsks first; --yes answers Yes. Log files stay; parse again to rebuild.");
}

}  // namespace velmora::cli
