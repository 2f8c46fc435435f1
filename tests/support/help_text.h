// Reading the help texts of the `velmora` command the way a person does, for tests that walk
// every command it lists.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace velmora::testing {

// The subcommands a help text lists under "Subcommands:", one per line, the name first.
inline std::vector<std::string> SubcommandsIn(const std::string& help) {
  std::vector<std::string> names;
  const size_t start = help.find("Subcommands:\n");
  if (start == std::string::npos) return names;
  std::istringstream lines(help.substr(start + 13));
  for (std::string line; std::getline(lines, line) && line.rfind("  ", 0) == 0;) {
    const size_t begin = line.find_first_not_of(' ');
    const size_t end = line.find(' ', begin);
    if (begin == 2) names.push_back(line.substr(begin, end - begin));
  }
  return names;
}

}  // namespace velmora::testing
