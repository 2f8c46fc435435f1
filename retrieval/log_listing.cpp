#include "retrieval/log_listing.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/ascii.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

bool IsLogFileName(std::string_view name) {
  const std::string lower = AsciiLowered(name);
  return lower.find("access") != std::string::npos || lower.find("log") != std::string::npos ||
         EndsWith(lower, ".gz") || EndsWith(lower, ".bz2");
}

std::string StoredBaseName(std::string_view name) {
  std::string base = AsciiLowered(name);
  for (bool cut = true; cut;) {
    cut = false;
    for (std::string_view tail : {".log", ".gz", ".bz2"}) {
      if (EndsWith(base, tail) && base.size() > tail.size()) {
        base.resize(base.size() - tail.size());
        cut = true;
      }
    }
  }
  return base;
}

std::string TimeBaseName(const CalendarTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d", t.year % 10000, t.month % 100,
                t.day % 100, t.hour % 100, t.minute % 100);
  return text;
}

std::vector<std::string> StoredFilesNamed(const std::string& logs_folder,
                                          std::string_view stored_name) {
  std::vector<std::string> found;
  std::error_code ec;
  for (fs::directory_iterator it(logs_folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string name = it->path().filename().string();
    if (name == stored_name || (name.size() > stored_name.size() + 1 &&
                                name.compare(0, stored_name.size(), stored_name) == 0 &&
                                name[stored_name.size()] == '.')) {
      found.push_back(name);
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

std::unordered_set<std::string> StoredNames(const std::string& logs_folder) {
  std::unordered_set<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(logs_folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string name = it->path().filename().string();
    names.insert(name);
    for (size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.', dot + 1)) {
      if (dot > 0) names.insert(name.substr(0, dot));
    }
  }
  return names;
}

std::vector<LogCandidate> ListLogFolder(const std::string& folder, const std::string& logs_folder) {
  std::vector<LogCandidate> list;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string name = it->path().filename().string();
    if (!IsLogFileName(name)) continue;
    LogCandidate candidate{AsciiLowered(name), true};
    const std::string stem = fs::path(candidate.name).stem().string();
    candidate.is_new = StoredFilesNamed(logs_folder, stem).empty();
    list.push_back(std::move(candidate));
  }
  std::sort(list.begin(), list.end(),
            [](const LogCandidate& a, const LogCandidate& b) { return a.name > b.name; });
  return list;
}

}  // namespace velmora
