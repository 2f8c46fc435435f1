// The start-up parameters: a map from a parameter name to its text. A token that begins with '-'
// and a letter starts the parameter named by that letter, its value being the rest of the token;
// any other token, quoted or not, is the value of "default" (the workspace a file manager
// passes). Blanks separate tokens outside double quotes; a value ends at the next blank outside
// quotes or at a closing quote; trailing blanks, carriage returns, line feeds and tabs are
// removed from values. A later token of the same name replaces an earlier one.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr std::string_view kDefaultParameter = "default";

using CommandLineParameters = std::map<std::string, std::string, std::less<>>;

// Parses one command-line text.
CommandLineParameters ParseCommandLine(std::string_view line);

// The same rules over arguments the shell has already split and unquoted: each argument is one
// token, taken as it is.
CommandLineParameters ParseCommandLineArguments(std::span<const std::string_view> arguments);

}  // namespace velmora
