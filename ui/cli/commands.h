// The command table of `velmora`. Each command lives in its own file and registers itself on the
// application with a description line and its options; the registered callback runs the command
// and leaves its exit status in the shared result.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>

#include "ui/cli/context.h"

namespace velmora::cli {

struct CommandTable {
  CLI::App& app;
  CliContext& context;
  int& status;  // exit status of the command that ran

  // Adds a subcommand whose action is `run`; returns it for its options.
  CLI::App* Add(const std::string& name, const std::string& description,
                std::function<int(CliContext&)> run);
};

// `velmora PATH` with a workspace path alone, as a file manager starts the program.
bool IsBareWorkspaceStart(int argc, char** argv);
int RunBareWorkspaceStart(int argc, char** argv);

// One function per command file.
void RegisterWorkspaceCommands(CommandTable& table);
void RegisterDatabaseCommands(CommandTable& table);
void RegisterInspectCommands(CommandTable& table);
void RegisterParseCommands(CommandTable& table);
void RegisterRuleCommands(CommandTable& table);
void RegisterReportCommands(CommandTable& table);
void RegisterChartCommands(CommandTable& table);
void RegisterExportCommands(CommandTable& table);
void RegisterImportCommands(CommandTable& table);
void RegisterServeCommands(CommandTable& table);
// The parse run as `velmora parse` makes it, for commands that parse after their own work.
int RunParseCommand(CliContext& context);
// `inspect rules URL`: the class the workspace's rules give a URL, as JSON.
int RunInspectRules(CliContext& context, const std::string& url);
void RegisterAllCommands(CommandTable& table);
// The hidden commands that write the manual page and the shell completion from the table.
void RegisterDocumentationCommands(CommandTable& table);
// Gives the commands registered without examples in their help the examples of one table.
void AddMissingExamples(CLI::App& app);

}  // namespace velmora::cli
