// Database commands: dump (the records of one table as JSON lines) and reset ("Remove all
// parsed data").
#include <cstdio>
#include <functional>

#include "app/database_operations.h"
#include "app/readable_records.h"
#include "app/record_json.h"
#include "core/ascii.h"
#include "core/percent_decoding.h"
#include "parsing/records/time_zones.h"
#include "storage/database_catalogue.h"
#include "ui/cli/commands.h"
#include "ui/cli/workspace_session.h"

namespace velmora::cli {
namespace {

struct DumpOptions {
  std::string table;
  int index = 0;  // 0: in id order; N: walk sorted index N
  bool errors = false;
  bool readable = false;
};

// Fills a line with a record's fields: as stored, or as a person reads them.
class FieldWriter {
 public:
  explicit FieldWriter(const ReadableRecords* readable) : readable_(readable) {}
  template <class R>
  void operator()(nlohmann::ordered_json& line, const R& record) const {
    if (readable_ != nullptr) {
      readable_->AddFields(line, record);
      return;
    }
    nlohmann::json fields;
    AddFields(fields, record);
    for (auto& [key, value] : fields.items()) line[key] = std::move(value);
  }
  std::string Text(std::string_view text) const {
    return readable_ != nullptr ? DecodePercentForDisplay(text) : std::string(text);
  }

 private:
  const ReadableRecords* readable_;
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
          const std::function<void(nlohmann::ordered_json&, int32_t id)>& fill) {
  auto emit = [&](int32_t id, int32_t pos) {
    nlohmann::ordered_json line;
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

void DumpStrings(const StringTable& table, bool by_index, const FieldWriter& fields) {
  Walk(
      table.Count(), by_index ? &table.index() : nullptr,
      [&](nlohmann::ordered_json& line, int32_t id) { line["text"] = fields.Text(table.Get(id)); });
}

void DumpSequences(const SequenceTable& table, bool by_index) {
  Walk(
      table.Count(), by_index ? &table.index() : nullptr,
      [&](nlohmann::ordered_json& line, int32_t id) { line["values"] = table.Get(id).ToVector(); });
}

template <class R>
void DumpRecords(RecordTable<R>& table, int index, const FieldWriter& fields) {
  Walk(table.Count(), index > 0 ? &table.index(index) : nullptr,
       [&](nlohmann::ordered_json& line, int32_t id) { fields(line, table.Get(id)); });
}

// Tables with strings and a record per string: the string with its record.
template <class R>
void DumpStringsWithRecords(const StringTable& strings, RecordTable<R>& records, bool by_index,
                            const FieldWriter& fields) {
  Walk(strings.Count(), by_index ? &strings.index() : nullptr,
       [&](nlohmann::ordered_json& line, int32_t id) {
         line["text"] = fields.Text(strings.Get(id));
         fields(line, records.Get(id));
       });
}

int DumpOpen(WorkspaceDatabase& db, const CatalogueEntry& entry, const DumpOptions& options,
             const FieldWriter& fields) {
  const std::string_view name = entry.name;
  const bool by_index = options.index > 0;
  namespace t = table_name;
  if (name == t::kSessions) {
    Walk(db.sessions().Count(), by_index ? &db.sessions().index(options.index) : nullptr,
         [&](nlohmann::ordered_json& line, int32_t id) {
           fields(line, db.sessions().Get(id));
           fields(line, WithoutCacheSlots(db.session_details().Get(id)));
         });
  } else if (name == t::kHourly) {
    DumpRecords(db.hourly(), options.index, fields);
  } else if (name == t::kFileTraffic) {
    DumpRecords(db.file_traffic(), options.index, fields);
  } else if (name == t::kSpiders) {
    DumpRecords(db.spiders(), options.index, fields);
  } else if (name == t::kResources) {
    if (options.errors) {
      DumpRecords(db.error_records(), options.index, fields);
    } else {
      DumpStrings(db.resources(), by_index, fields);
    }
  } else if (name == t::kUserAgents) {
    DumpStringsWithRecords(db.user_agent_strings(), db.user_agents(), by_index, fields);
  } else if (name == t::kReferers) {
    DumpStringsWithRecords(db.referer_strings(), db.referers(), by_index, fields);
  } else if (StringTable* strings = db.FindStringTable(name)) {
    DumpStrings(*strings, by_index, fields);
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

// The table named `name`, spelt in any case.
const CatalogueEntry* FindTable(std::string_view name) {
  for (const CatalogueEntry& entry : DatabaseCatalogue()) {
    if (AsciiEqualsIgnoreCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

int RunDump(CliContext& context, const DumpOptions& options) {
  const CatalogueEntry* entry = FindTable(options.table);
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
    const bool read = db.ReadParsedLogs([&](const StringTable& parsed) {
      DumpStrings(parsed, options.index > 0, FieldWriter(nullptr));
    });
    return read ? kExitOk : Fail("the ParsedLogs table cannot be opened");
  }
  if (!db.Open()) return kExitFailure;  // the database has shown why
  const ReadableRecords readable(
      db, ZoneOffsetMinutes(session.workspace().settings().block.your_time_zone));
  const int rc = DumpOpen(db, *entry, options, FieldWriter(options.readable ? &readable : nullptr));
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
  dump->add_flag("--readable", options->readable,
                 "times in ISO 8601, addresses dotted, ids with their texts, paths decoded");
  dump->footer(
      "\nTable names may be written in any case. docs/tables.md describes every field.\n"
      "Examples:\n"
      "  velmora dump Sessions --readable    every visit, as a person reads it\n"
      "  velmora dump Sessions --index 2    visits by time of their last request\n"
      "  velmora dump Resources --errors     every distinct error (status, resource, referrer)");

  table
      .Add("reset", "\"Remove all parsed data\": empty the database and the report cache", RunReset)
      ->footer(
          "\nAsks first; --yes answers Yes. Log files stay; parse again to rebuild. When nothing\n"
          "is removed, it says why.");
}

}  // namespace velmora::cli
