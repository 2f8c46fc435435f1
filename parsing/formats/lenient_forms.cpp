#include "parsing/formats/lenient_forms.h"

#include <optional>
#include <string>

namespace velmora {
namespace {

// A quoted request with its protocol, and what it becomes without the protocol and as a single
// word; a user name before the bracketed time, and the same name of two or three words.
constexpr std::string_view kRequest = "\"%e%w%r%wHTTP%j\"";
constexpr std::string_view kRequestWithoutProtocol = "\"%e%w%r\"";
constexpr std::string_view kRequestWord = "\"%r\"";
constexpr std::string_view kUser = " %u [";
constexpr std::string_view kUsersWithBlanks[] = {" %j %u [", " %j %j %u ["};

std::optional<std::string> Replaced(std::string_view text, std::string_view from,
                                    std::string_view to) {
  const size_t at = text.find(from);
  if (at == std::string_view::npos) return std::nullopt;
  std::string out(text);
  out.replace(at, from.size(), to);
  return out;
}

}  // namespace

std::vector<CompiledFormat> LenientForms(std::string_view format) {
  std::vector<std::string> users{std::string(format)};
  for (const std::string_view words : kUsersWithBlanks) {
    if (std::optional<std::string> user = Replaced(format, kUser, words)) {
      users.push_back(std::move(*user));
    }
  }
  std::vector<CompiledFormat> forms;
  for (const std::string& text : users) {
    if (&text != &users.front()) forms.push_back(CompiledFormat::Compile(text));
    for (const std::string_view request : {kRequestWithoutProtocol, kRequestWord}) {
      if (std::optional<std::string> form = Replaced(text, kRequest, request)) {
        forms.push_back(CompiledFormat::Compile(*form));
      }
    }
  }
  return forms;
}

bool IsCommentOrBlankLine(std::string_view line) {
  if (!line.empty() && line.front() == '#') return true;
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace velmora
