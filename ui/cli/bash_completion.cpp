#include "ui/cli/bash_completion.h"

#include <algorithm>
#include <sstream>

namespace velmora::cli {
namespace {

// Words that compgen -W takes as they are: nothing a shell splits, quotes or expands.
bool PlainWord(const std::string& word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '+' ||
           c == '-';
  });
}

std::string Join(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& word : words) {
    if (!PlainWord(word)) continue;
    if (!out.empty()) out += ' ';
    out += word;
  }
  return out;
}

// Command paths are command names, which the table holds to plain words; quoted all the same.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Identifier(const std::string& name) {
  std::string out;
  for (char c : name) out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return out;
}

class Writer {
 public:
  Writer(const std::string& prefix, const std::vector<ArgumentWords>& words)
      : prefix_(prefix), words_(words) {}

  void Lists(std::ostringstream& out) const {
    for (size_t i = 0; i < words_.size(); ++i) {
      out << ListName(i) << "=" << Quoted(Join(words_[i].words)) << "\n";
    }
  }

  // One case of `<prefix>_command`: what the command at `path` takes.
  void Command(std::ostringstream& out, const CLI::App& app, const std::string& path) const {
    std::vector<std::string> commands;
    for (const CLI::App* sub : app.get_subcommands(
             [](const CLI::App* s) { return !s->get_name().empty() && !s->get_group().empty(); })) {
      commands.push_back(sub->get_name());
    }
    std::vector<std::string> options;
    std::string valued = " ";
    std::vector<std::string> slots;
    for (const CLI::Option* o : app.get_options()) {
      if (o->get_group().empty()) continue;
      if (!o->nonpositional()) {
        std::string slot = Slot(path, o->get_name());
        if (o->get_items_expected_max() >= CLI::detail::expected_max_vector_size) slot += '+';
        slots.push_back(slot);
        continue;
      }
      for (const std::string& s : o->get_snames()) options.push_back("-" + s);
      for (const std::string& l : o->get_lnames()) options.push_back("--" + l);
      if (o->get_items_expected_max() > 0) {
        for (const std::string& s : o->get_snames()) valued += "-" + s + " ";
        for (const std::string& l : o->get_lnames()) valued += "--" + l + " ";
      }
    }
    std::string arguments;
    for (const std::string& slot : slots) arguments += (arguments.empty() ? "" : " ") + slot;
    out << "    " << Quoted(path) << ")\n      commands=" << Quoted(Join(commands))
        << "\n      options=" << Quoted(Join(options)) << "\n      valued=" << Quoted(valued)
        << "\n      arguments=" << Quoted(arguments) << " ;;\n";
    for (const CLI::App* sub : app.get_subcommands(
             [](const CLI::App* s) { return !s->get_name().empty() && !s->get_group().empty(); })) {
      Command(out, *sub, path.empty() ? sub->get_name() : path + " " + sub->get_name());
    }
  }

 private:
  std::string ListName(size_t i) const { return prefix_ + "_words" + std::to_string(i); }

  // The list of words an argument takes, or "." for none.
  std::string Slot(const std::string& path, const std::string& argument) const {
    for (const std::string& key : {path + " " + argument, argument}) {
      for (size_t i = 0; i < words_.size(); ++i) {
        if (words_[i].argument == key) return ListName(i);
      }
    }
    return ".";
  }

  std::string prefix_;
  const std::vector<ArgumentWords>& words_;
};

// The completion function: walks the words before the cursor through the command table (the
// command path, how many arguments it has, whether an option waits for its value), then offers
// what fits there. An empty answer lets bash complete a file name (complete -o default).
constexpr const char* kCompletionFunction = R"(() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local path='' word commands options valued arguments
  local -i i skip=0 count=0
  COMPREPLY=()
  PREFIX_command ''
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if ((skip)); then
      # bash splits --option=value into three words
      [[ $word == = ]] || skip=0
      continue
    fi
    case $word in
      -*) [[ $valued == *" $word "* ]] && skip=1 ;;
      =) ;;
      *)
        if ((count == 0)) && [[ " $commands " == *" $word "* ]]; then
          path=${path:+$path }$word
          PREFIX_command "$path"
        else
          count+=1
        fi
        ;;
    esac
  done
  ((skip)) && return 0
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return 0
  fi
  local -a slots
  local slot='' candidates=''
  read -ra slots <<<"$arguments"
  if ((count < ${#slots[@]})); then
    slot=${slots[count]}
  elif ((${#slots[@]})) && [[ ${slots[-1]} == *+ ]]; then
    slot=${slots[-1]}
  fi
  slot=${slot%+}
  ((count == 0)) && candidates=$commands
  [[ -n $slot && $slot != . ]] && candidates+=" ${!slot}"
  COMPREPLY=($(compgen -W "$candidates" -- "$cur"))
}
)";

}  // namespace

std::string RenderBashCompletion(const CLI::App& app, const std::vector<ArgumentWords>& words) {
  const std::string name = app.get_name();
  const std::string prefix = "_" + Identifier(name);
  const Writer writer(prefix, words);
  std::ostringstream out;
  out << "# Bash completion for " << name << ", generated from its command table by `" << name
      << " completion bash`.\n\n";
  writer.Lists(out);
  out << "\n" << prefix << "_command() {\n  case $1 in\n";
  writer.Command(out, app, "");
  out << "  esac\n}\n\n" << prefix;
  std::string function = kCompletionFunction;
  for (size_t at = function.find("PREFIX"); at != std::string::npos;
       at = function.find("PREFIX", at)) {
    function.replace(at, 6, prefix);
    at += prefix.size();
  }
  out << function << "\ncomplete -o default -F " << prefix << " " << Quoted(name) << "\n";
  return out.str();
}

}  // namespace velmora::cli
