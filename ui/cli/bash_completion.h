// Bash completion for `velmora`, written from the command table itself so that it knows every
// command, option and argument the binary it came from knows: commands and their options, which
// options take a value (a file name is completed there), and the words some arguments take.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace velmora::cli {

// The words an argument takes, found by the argument's name ("ID") or, first, by the command
// path and the name ("export ID").
struct ArgumentWords {
  std::string argument;
  std::vector<std::string> words;
};

// A script for bash that defines the completion of `app`'s name. Arguments with no words, and
// option values, complete as file names. Words a shell would split or expand are left out.
std::string RenderBashCompletion(const CLI::App& app, const std::vector<ArgumentWords>& words);

}  // namespace velmora::cli
