// IniFile: the per-user preferences store. Sections and value names keep their spelling
// ("[Recent Document List]", "DocumentCount"); lookups ignore ASCII case, so a name holds one
// value however a hand edit spells it. Values are single-line text; line breaks in a value are
// stored escaped (\n, \r, \\) so that any text round-trips. Saving writes a temporary file and
// renames it over the old one, so a crash never leaves half a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace velmora {

class IniFile {
 public:
  // A missing file loads as empty; unreadable lines are skipped; a name given twice keeps the
  // last value. Other read failures carry the errno.
  static Result<IniFile> Load(const std::string& path);
  // Creates the parent folders as needed, writes beside `path` and renames over it.
  Status Save(const std::string& path) const;

  std::optional<std::string> Get(std::string_view section, std::string_view name) const;
  void Set(std::string_view section, std::string_view name, std::string_view value);
  // Removes one value; a section left without values goes with it.
  void Remove(std::string_view section, std::string_view name);
  void RemoveSection(std::string_view section);
  // The value names of `section` in stored spelling and order; empty when there is none.
  std::vector<std::string> Names(std::string_view section) const;

  // Text form, and parsing of it (what Load and Save use).
  std::string Serialize() const;
  static IniFile Parse(std::string_view text);

 private:
  struct Entry {
    std::string name;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;
  std::vector<Section> sections_;
};

}  // namespace velmora
