// Workspace commands: new, settings, tip, recent.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/new_workspace_operation.h"
#include "ui/cli/commands.h"
#include "ui/cli/workspace_session.h"
#include "workspace/file_commands.h"
#include "workspace/recent_list.h"
#include "workspace/rules_and_filters.h"
#include "workspace/settings_json.h"
#include "workspace/settings_keys.h"
#include "workspace/tips.h"

namespace velmora::cli {
namespace {

struct NewOptions {
  std::string name;
  std::string path;
  std::string server_names;
  std::string default_file = "index.htm";
  std::string log_format = "auto";
  std::string format_string;
  std::string retrieval = "local";
  std::string compression = "gzip";
};

int RunNew(CliContext& context, const NewOptions& options) {
  const NewWorkspaceValues values = {options.name,
                                     options.path,
                                     {{"server-names", options.server_names},
                                      {"default-file", options.default_file},
                                      {"log-format-mode", options.log_format},
                                      {"custom-format", options.format_string},
                                      {"retrieve-method", options.retrieval},
                                      {"local-compression", options.compression}}};
  const Result<NewWorkspaceParams> params = CheckNewWorkspace(values);
  if (!params.ok()) return UsageError(params.error().message);

  CliSession session(context);
  const Result<NewWorkspaceMade> made =
      CreateWorkspace(session.session().prompter(), session.preferences(), params.value());
  if (!made.ok()) {
    // The prompter has said what went wrong; what it means for the workspace is said here.
    if (made.error().kind == ErrorKind::kShownToUser) {
      return Fail("no workspace was created, and nothing of one was left behind");
    }
    return ReportFailure(made.error());
  }
  std::printf("Created workspace \"%s\" in %s\n", options.name.c_str(), made->folder.c_str());
  std::printf("Put log files into %slogs/ (or use 'velmora import'), then run 'velmora parse'.\n",
              made->folder.c_str());
  return kExitOk;
}

std::string ReadWholeFile(const std::string& path, bool& ok) {
  std::ostringstream text;
  if (path == "-") {
    text << std::cin.rdbuf();
    ok = true;
    return text.str();
  }
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  text << in.rdbuf();
  return text.str();
}

struct SettingsOptions {
  std::string key;
  std::string value;
  std::string file;
};

// Passwords are only ever said to be there or not: a screen or a terminal log is no place for them.
std::string PasswordShown(const std::string& password) {
  return password.empty() ? "(not set)" : "(set)";
}

int RunSettingsShow(CliContext& context) {
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  WorkspaceSettings shown = session.workspace().settings();
  shown.block.ftp_password = PasswordShown(shown.block.ftp_password);
  shown.block.http_password = PasswordShown(shown.block.http_password);
  std::fputs(SettingsToJsonText(shown).c_str(), stdout);
  return kExitOk;
}

int RunSettingsGet(CliContext& context, const SettingsOptions& options) {
  if (FindSettingKey(options.key) == nullptr) {
    return UsageError("unknown setting '" + options.key + "'; 'velmora settings keys' lists them");
  }
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  Result<std::string> value = GetSetting(session.workspace().settings(), options.key);
  if (!value.ok()) return Fail(value.error().message);
  if (options.key == "ftp-password" || options.key == "http-password") {
    value = PasswordShown(value.value());
  }
  std::printf("%s\n", value.value().c_str());
  return kExitOk;
}

int RunSettingsSet(CliContext& context, const SettingsOptions& options) {
  if (FindSettingKey(options.key) == nullptr) {
    return UsageError("unknown setting '" + options.key + "'; 'velmora settings keys' lists them");
  }
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  WorkspaceSettings changed = session.workspace().settings();
  if (Status s = SetSetting(changed, options.key, options.value); !s.ok()) {
    return Fail(s.error().message);
  }
  if (Status s = session.workspace().ChangeSettings(std::move(changed)); !s.ok()) {
    return ReportFailure(s.error());
  }
  return kExitOk;
}

int RunSettingsExport(CliContext& context, const SettingsOptions& options) {
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  if (options.file.empty() || options.file == "-") {
    // What reaches a terminal or a pipe shows whether a password is set, never the password;
    // an import of this text keeps the passwords the workspace has.
    WorkspaceSettings shown = session.workspace().settings();
    shown.block.ftp_password = PasswordShown(shown.block.ftp_password);
    shown.block.http_password = PasswordShown(shown.block.http_password);
    std::fputs(SettingsToJsonText(shown).c_str(), stdout);
    return kExitOk;
  }
  std::ofstream out(options.file, std::ios::binary);
  out << SettingsToJsonText(session.workspace().settings());
  out.close();
  if (!out) return Fail("cannot write " + options.file + "; check the folder and its permissions");
  // The file carries the passwords, to move them with the rest: only its owner may read it.
  std::error_code ignored;
  std::filesystem::permissions(
      options.file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
      std::filesystem::perm_options::replace, ignored);
  std::fprintf(stderr, "Settings written to %s\n", options.file.c_str());
  return kExitOk;
}

int RunSettingsImport(CliContext& context, const SettingsOptions& options) {
  bool read = false;
  const std::string text = ReadWholeFile(options.file, read);
  if (!read) return Fail("cannot read " + options.file);
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  WorkspaceSettings changed = session.workspace().settings();
  if (Status s = ImportSettingsJsonText(changed, text); !s.ok()) {
    return Fail(options.file + ": " + s.error().message + " (nothing was changed)");
  }
  // A text exported to the screen says "(set)" or "(not set)" for a password: keep the real one.
  const SettingsBlock& before = session.workspace().settings().block;
  for (auto [field, old] : {std::pair{&changed.block.ftp_password, &before.ftp_password},
                            std::pair{&changed.block.http_password, &before.http_password}}) {
    if (*field == PasswordShown("") || *field == PasswordShown("x")) *field = *old;
  }
  if (Status s = ValidateRulesAndFilters(changed); !s.ok()) {
    return Fail(options.file + ": " + s.error().message + " (nothing was changed)");
  }
  if (Status s = session.workspace().ChangeSettings(std::move(changed)); !s.ok()) {
    return ReportFailure(s.error());
  }
  return kExitOk;
}

int RunSettingsKeys() {
  for (const SettingKey& key : SettingKeys()) {
    std::printf("%-26s %s%s\n", std::string(key.name).c_str(), AcceptedValues(key).c_str(),
                key.read_only ? " (read-only)" : "");
  }
  return kExitOk;
}

void RegisterSettings(CommandTable& table) {
  auto options = std::make_shared<SettingsOptions>();
  CLI::App* settings =
      table.app.add_subcommand("settings", "show or change the workspace's settings (JSON)");
  settings->require_subcommand(1);
  settings->footer(
      "\nExamples:\n"
      "  velmora settings show\n"
      "  velmora settings set session-timeout 20\n"
      "  velmora settings export site.json   (then: velmora -w other settings import site.json)");
  CliContext& context = table.context;
  int& status = table.status;
  settings->add_subcommand("show", "every setting and list as JSON")->callback([&] {
    status = RunSettingsShow(context);
  });
  settings->add_subcommand("keys", "the names of the settings and the values they accept")
      ->callback([&] { status = RunSettingsKeys(); });
  CLI::App* get = settings->add_subcommand("get", "one setting's value");
  get->add_option("KEY", options->key, "a setting name, e.g. session-timeout")->required();
  get->callback([&, options] { status = RunSettingsGet(context, *options); });
  CLI::App* set = settings->add_subcommand("set", "change one setting (checked, then saved)");
  set->add_option("KEY", options->key, "a setting name, e.g. session-timeout")->required();
  set->add_option("VALUE", options->value,
                  "a number, a name of a choice ('settings keys' lists them) or a text")
      ->required();
  set->callback([&, options] { status = RunSettingsSet(context, *options); });
  CLI::App* exp = settings->add_subcommand("export", "write all settings as JSON");
  exp->add_option("FILE", options->file, "where to write (default: standard output)");
  exp->callback([&, options] { status = RunSettingsExport(context, *options); });
  CLI::App* imp =
      settings->add_subcommand("import", "read settings from JSON (all checked before any change)");
  imp->add_option("FILE", options->file, "a file written by 'settings export', or - for stdin")
      ->required();
  imp->callback([&, options] { status = RunSettingsImport(context, *options); });
}

void RegisterNew(CommandTable& table) {
  auto options = std::make_shared<NewOptions>();
  CLI::App* cmd = table.Add("new", "create a workspace for a web site (folder, settings, database)",
                            [options](CliContext& context) { return RunNew(context, *options); });
  cmd->add_option("NAME", options->name, "the workspace name; its folder and file are named so")
      ->required();
  cmd->add_option("--path", options->path,
                  "the folder to create it in (default: Documents/Velmora Workspaces/)");
  cmd->add_option("--server-names", options->server_names,
                  "the site's own host names, comma-separated (its referrers count as own site)");
  cmd->add_option("--default-file", options->default_file,
                  "appended to requests for a directory (default index.htm)");
  cmd->add_option("--log-format", options->log_format, "auto (default), w3c or custom");
  cmd->add_option("--format-string", options->format_string,
                  "the custom log format, e.g. for NCSA common logs\n"
                  "'%S %j %u [%d/%M/%Y:%h:%n:%o%w%j] \"%e%w%r%wHTTP%j\" %c %b'");
  cmd->add_option("--retrieval", options->retrieval, "local (default), ftp or fetchlet");
  cmd->add_option("--compression", options->compression,
                  "how imported logs are stored: gzip (default), bzip2 or none");
  cmd->footer(
      "\nExample:\n  velmora new example --server-names www.example.com,example.com\n"
      "An existing workspace of that name is overwritten only after a Yes (or --yes).");
}

void RegisterTipAndRecent(CommandTable& table) {
  table.Add("tip", "show the next tip of the day", [](CliContext&) {
    Preferences preferences;
    const TipOfTheDay tip = TakeNextTip(preferences);
    std::printf("Tip of the Day: %.*s\n", static_cast<int>(tip.text.size()), tip.text.data());
    return kExitOk;
  });
  table.Add("recent", "the recently used workspaces, most recent first", [](CliContext&) {
    Preferences preferences;
    const RecentList list = RecentList::Load(preferences);
    if (list.empty()) std::printf("(empty)\n");
    int number = 1;
    for (const std::string& path : list.MostRecentFirst()) {
      std::printf("%2d  %s\n", number++, path.c_str());
    }
    return kExitOk;
  });
}

}  // namespace

void RegisterWorkspaceCommands(CommandTable& table) {
  RegisterNew(table);
  RegisterSettings(table);
  RegisterTipAndRecent(table);
}

}  // namespace velmora::cli
