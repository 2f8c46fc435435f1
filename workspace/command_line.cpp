#include "workspace/command_line.h"

namespace velmora {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string TrimmedValue(std::string value) {
  while (!value.empty()) {
    const char c = value.back();
    if (c != ' ' && c != '\r' && c != '\n' && c != '\t') break;
    value.pop_back();
  }
  return value;
}

// The name a token starts, and how many characters of the token that takes.
std::pair<std::string, size_t> TokenName(std::string_view token) {
  if (token.size() >= 2 && token[0] == '-' && IsAsciiLetter(token[1])) {
    return {std::string(1, token[1]), 2};
  }
  return {std::string(kDefaultParameter), 0};
}

// Reads a value from `pos`: quotes open and close quoted stretches and are not part of it; a
// blank outside quotes, or a closing quote, ends it.
std::string ReadValue(std::string_view line, size_t& pos) {
  std::string value;
  bool quoted = false;
  while (pos < line.size()) {
    const char c = line[pos];
    if (c == '"') {
      ++pos;
      if (quoted) break;
      quoted = true;
      continue;
    }
    if (c == ' ' && !quoted) break;
    value.push_back(c);
    ++pos;
  }
  return TrimmedValue(std::move(value));
}

}  // namespace

CommandLineParameters ParseCommandLine(std::string_view line) {
  CommandLineParameters parameters;
  size_t pos = 0;
  while (true) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size()) break;
    auto [name, skip] = TokenName(line.substr(pos));
    pos += skip;
    parameters[name] = ReadValue(line, pos);
  }
  return parameters;
}

CommandLineParameters ParseCommandLineArguments(std::span<const std::string_view> arguments) {
  CommandLineParameters parameters;
  for (std::string_view argument : arguments) {
    auto [name, skip] = TokenName(argument);
    parameters[name] = TrimmedValue(std::string(argument.substr(skip)));
  }
  return parameters;
}

}  // namespace velmora
