#include "ui/cli/commands.h"

namespace velmora::cli {

CLI::App* CommandTable::Add(const std::string& name, const std::string& description,
                            std::function<int(CliContext&)> run) {
  CLI::App* sub = app.add_subcommand(name, description);
  sub->callback([this, run = std::move(run)] { status = run(context); });
  return sub;
}

void RegisterAllCommands(CommandTable& table) {
  RegisterWorkspaceCommands(table);
  RegisterDatabaseCommands(table);
  RegisterInspectCommands(table);
  RegisterParseCommands(table);
  RegisterRuleCommands(table);
  RegisterReportCommands(table);
  RegisterExportCommands(table);
  RegisterImportCommands(table);
  RegisterChartCommands(table);
  RegisterServeCommands(table);
}

}  // namespace velmora::cli
