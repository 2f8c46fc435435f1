// Which files of a folder are logs to import, and what they are called once stored. A name is a
// log's when it holds "access" or "log" (any case) or ends in .log, .gz or .bz2. A file is new
// unless logs/ already holds its name, without its last extension, with any extension (access.log
// is not new beside access.log.bz2). Stored names are lower case.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/tick_time.h"

namespace velmora {

bool IsLogFileName(std::string_view name);

struct LogCandidate {
  std::string name;  // lower case
  bool is_new = false;
};
// The log files of `folder` (files only), by name descending ignoring case; `logs_folder` is the
// workspace's logs/.
std::vector<LogCandidate> ListLogFolder(const std::string& folder, const std::string& logs_folder);

// The stored base name of source `name`: lower case, every trailing .log, .gz and .bz2 removed.
std::string StoredBaseName(std::string_view name);
// The base name of a file renamed by its first entry: "20021205-0937".
std::string TimeBaseName(const CalendarTime& t);

// The files of `logs_folder` named `stored_name` or `stored_name` + "." + anything.
std::vector<std::string> StoredFilesNamed(const std::string& logs_folder,
                                          std::string_view stored_name);
// The same question for many names in one pass over the folder: a name has stored files when the
// set holds it (every file's name, and each part of it that ends before a dot).
std::unordered_set<std::string> StoredNames(const std::string& logs_folder);

}  // namespace velmora
