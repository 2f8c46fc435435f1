// `velmora rules` and `velmora filters`: the "File Types" and "Filters" pages of the workspace
// settings on the command line (every accepted change is saved at once), and `inspect rules`.
#include <algorithm>
#include <cstdio>
#include <map>

#include "analysis/rules/log_filters_editing.h"
#include "analysis/rules/resource_rules.h"
#include "analysis/rules/rule_presets.h"
#include "app/record_json.h"
#include "ui/cli/commands.h"
#include "ui/cli/workspace_session.h"
#include "workspace/rules_and_filters.h"

namespace velmora::cli {
namespace {

// Applies `edit` to a copy of the settings and saves it; a refused edit changes nothing. The
// edit may say what it did with `done`, which is shown once the change is saved.
using RuleEdit = std::function<Status(WorkspaceSettings&, std::string& done)>;
int EditSettings(CliContext& context, const RuleEdit& edit) {
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  WorkspaceSettings changed = session.workspace().settings();
  std::string done;
  if (Status s = edit(changed, done); !s.ok()) {
    return Fail(s.error().message + " (nothing was changed)");
  }
  if (Status s = session.workspace().ChangeSettings(std::move(changed)); !s.ok()) {
    return ReportFailure(s.error());
  }
  if (!done.empty()) std::printf("%s\n", done.c_str());
  // Stored visits keep the classes they were given: the change alone leaves them as they are.
  std::printf(
      "This applies to logs parsed from now on; to apply it to the logs parsed before, run "
      "'velmora reset', then 'velmora parse'.\n");
  return kExitOk;
}
int EditSettings(CliContext& context, const std::function<Status(WorkspaceSettings&)>& edit) {
  return EditSettings(context, [&edit](WorkspaceSettings& s, std::string&) { return edit(s); });
}

// What `rules add` and `rules preset` say about where the new rules went.
std::string Placement(const WorkspaceSettings& s, int first, int count) {
  const std::vector<ResourceRuleLine> rules = ListRules(s);
  const int last = first + count - 1;
  std::string text =
      count == 1 ? "Added as rule " + std::to_string(first)
                 : "Added as rules " + std::to_string(first) + " to " + std::to_string(last);
  if (static_cast<size_t>(last) < rules.size()) {
    text += ", ahead of the catch-all rule " + std::to_string(last + 1) + " (\"" +
            rules[static_cast<size_t>(last)].masks +
            "\") at the end of the list, which would otherwise take its requests first";
  }
  return text + ".";
}

// Prints rows whose first columns are padded to their widest cell; the last column runs free,
// so that one long list of masks or conditions does not push every other row out of line.
void PrintColumns(const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    for (size_t i = 0; i + 1 < row.size(); ++i) {
      if (widths.size() <= i) widths.push_back(0);
      widths[i] = std::max(widths[i], row[i].size());
    }
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
    }
    std::printf("%s\n", line.c_str());
  }
}

int WithSettings(CliContext& context, const std::function<void(const WorkspaceSettings&)>& use) {
  CliSession session(context);
  if (int rc = session.OpenCurrent(); rc != kExitOk) return rc;
  use(session.workspace().settings());
  return kExitOk;
}

std::optional<MoveDirection> ParseDirection(std::string_view text) {
  if (text == "up" || text == "UP" || text == "Up") return MoveDirection::kUp;
  if (text == "down" || text == "DOWN" || text == "Down") return MoveDirection::kDown;
  return std::nullopt;
}

struct RuleOptions {
  std::string masks, type, logging, direction;
  int number = 0;
};

constexpr const char* kTypes = "Undefined, Page, Download, Image (or 0..3)";

std::string PresetHelp() {
  std::string text = "the preset:";
  for (const RulePreset& p : RulePresets()) {
    text += "\n  " + std::string(p.name) + ": " + std::string(p.description);
  }
  return text;
}
constexpr const char* kLoggings = "do-not-log, log-as-visit, non-visit (or 0..2)";

void RegisterRules(CommandTable& table) {
  auto o = std::make_shared<RuleOptions>();
  CLI::App* rules = table.app.add_subcommand(
      "rules", "the resource rules (file types): which requests are pages, downloads, images");
  rules->require_subcommand(1);
  rules->footer(
      "\nRules are tried in order; the first whose mask matches the request path gives its\n"
      "type and logging; a path no rule matches is logged as a non-visit request. Changes\n"
      "apply to logs parsed from then on ('velmora reset', then 'velmora parse', for the past).\n"
      "Examples:\n"
      "  velmora rules list\n"
      "  velmora rules add '*.pdf,*.epub' Download log-as-visit\n"
      "  velmora rules preset modern\n"
      "  velmora rules move 6 up");
  CliContext& context = table.context;
  int& status = table.status;

  rules->add_subcommand("list", "the rules, numbered, in the order they are tried")
      ->footer("\nExample:\n  velmora rules list")
      ->callback([&] {
        status = WithSettings(context, [](const WorkspaceSettings& s) {
          std::vector<std::vector<std::string>> rows = {{"#", "Type", "Logging", "File masks"}};
          for (const ResourceRuleLine& r : ListRules(s)) {
            rows.push_back({std::to_string(r.number), std::string(ResourceTypeName(r.type)),
                            std::string(LoggingName(r.logging)), r.masks});
          }
          PrintColumns(rows);
        });
      });
  CLI::App* add =
      rules->add_subcommand("add", "add a rule, ahead of the catch-all rules at the end");
  add->add_option("MASKS", o->masks, "file masks separated by commas, e.g. '*.pdf,*.zip'")
      ->required();
  add->add_option("TYPE", o->type, kTypes)->required();
  add->add_option("LOGGING", o->logging, kLoggings)->required();
  add->footer(
      "\nThe rule goes in ahead of the catch-all rules (\"*\") at the end of the list, which\n"
      "would otherwise take its requests first.\n"
      "Examples:\n"
      "  velmora rules add '*.pdf,*.epub' Download log-as-visit\n"
      "  velmora rules add '/healthz' Undefined do-not-log");
  add->callback([&, o] {
    status = EditSettings(context, [o](WorkspaceSettings& s, std::string& done) -> Status {
      const Result<int> added = AddRule(s, o->masks, o->type, o->logging);
      if (!added.ok()) return added.error();
      done = Placement(s, *added, 1);
      return {};
    });
  });
  CLI::App* preset = rules->add_subcommand("preset", "add a ready-made set of rules");
  preset->add_option("NAME", o->masks, PresetHelp())->required();
  preset->footer("\nExample:\n  velmora rules preset modern");
  preset->callback([&, o] {
    status = EditSettings(context, [o](WorkspaceSettings& s, std::string& done) -> Status {
      const size_t before = ListRules(s).size();
      const Result<int> added = AddRulePreset(s, o->masks);
      if (!added.ok()) return added.error();
      done = Placement(s, *added, static_cast<int>(ListRules(s).size() - before));
      return {};
    });
  });
  CLI::App* remove = rules->add_subcommand("remove", "delete rule N");
  remove->add_option("N", o->number, "the rule's number in 'rules list'")->required();
  remove->footer("\nExample:\n  velmora rules remove 3");
  remove->callback([&, o] {
    status = EditSettings(context, [o](WorkspaceSettings& s) { return RemoveRule(s, o->number); });
  });
  CLI::App* move = rules->add_subcommand("move", "move rule N up or down by one");
  move->footer("\nExample:\n  velmora rules move 6 up");
  move->add_option("N", o->number, "the rule's number in 'rules list'")->required();
  move->add_option("DIRECTION", o->direction, "up or down")->required();
  move->callback([&, o] {
    const std::optional<MoveDirection> direction = ParseDirection(o->direction);
    if (!direction) {
      status = UsageError("DIRECTION is up or down, not '" + o->direction + "'");
      return;
    }
    status = EditSettings(context,
                          [&](WorkspaceSettings& s) { return MoveRule(s, o->number, *direction); });
  });
}

struct FilterOptions {
  LogFilter filter;
  std::map<std::string, std::string> ops;  // condition -> operation name
  std::string type = "unchanged", logging = "do-not-log", direction;
  int number = 0;
  bool keep_going = false;
  bool match_all = false;
};

constexpr const char* kAddressOps = "any, equals, not-equals, subnet or not-subnet";
constexpr const char* kTextOps = "any, equals, not-equals, includes or not-includes";
constexpr const char* kExactOps = "any, equals or not-equals";

// Operation names of the conditions: the address tests a network, the others texts.
std::optional<int32_t> AddressOperation(std::string_view op) {
  static const std::map<std::string_view, int32_t> kOps = {
      {"any", 0}, {"equals", 1}, {"not-equals", 2}, {"subnet", 3}, {"not-subnet", 4}};
  auto it = kOps.find(op);
  return it == kOps.end() ? std::nullopt : std::optional<int32_t>(it->second);
}
std::optional<int32_t> TextOperation(std::string_view op, bool includes_allowed) {
  static const std::map<std::string_view, int32_t> kOps = {
      {"any", 0}, {"equals", 1}, {"not-equals", 2}, {"includes", 3}, {"not-includes", 4}};
  auto it = kOps.find(op);
  if (it == kOps.end() || (!includes_allowed && it->second > 2)) return std::nullopt;
  return it->second;
}
std::optional<int32_t> TypeAction(std::string_view text) {
  static const std::map<std::string_view, int32_t> kActions = {
      {"undefined", 0}, {"page", 1}, {"download", 2}, {"image", 3}, {"unchanged", 4}};
  auto it = kActions.find(text);
  return it == kActions.end() ? std::nullopt : std::optional<int32_t>(it->second);
}
std::optional<int32_t> LoggingAction(std::string_view text) {
  static const std::map<std::string_view, int32_t> kActions = {
      {"do-not-log", 0}, {"log-as-visit", 1}, {"non-visit", 2}, {"unchanged", 3}};
  auto it = kActions.find(text);
  return it == kActions.end() ? std::nullopt : std::optional<int32_t>(it->second);
}

// Fills the filter's operations and actions from their names; an error names the option.
Status ResolveFilterOptions(FilterOptions& o) {
  LogFilter& f = o.filter;
  for (const auto& [condition, op] : o.ops) {
    std::optional<int32_t> value;
    if (condition == "address") {
      value = AddressOperation(op);
      if (value) f.address_operation = *value;
    } else {
      const bool includes = condition != "method" && condition != "status";
      value = TextOperation(op, includes);
      if (!value) {
        return Error{0,
                     "--" + condition + "-op " + op + ": use " + (includes ? kTextOps : kExactOps)};
      }
      if (condition == "user-agent") f.user_agent_operation = *value;
      if (condition == "referrer") f.referrer_operation = *value;
      if (condition == "method") f.method_operation = *value;
      if (condition == "status") f.status_operation = *value;
      if (condition == "resource") f.resource_operation = *value;
      if (condition == "query") f.query_operation = *value;
    }
    if (!value) return Error{0, "--address-op " + op + ": use " + kAddressOps};
  }
  const std::optional<int32_t> type = TypeAction(o.type);
  if (!type)
    return Error{0, "--type " + o.type + ": use undefined, page, download, image, unchanged"};
  const std::optional<int32_t> logging = LoggingAction(o.logging);
  if (!logging) {
    return Error{0,
                 "--logging " + o.logging + ": use do-not-log, log-as-visit, non-visit, unchanged"};
  }
  f.type_action = *type;
  f.logging_action = *logging;
  f.set_user_agent = !f.new_user_agent.empty();
  f.set_referrer = !f.new_referrer.empty();
  f.set_resource = !f.new_resource.empty();
  f.set_query = !f.new_query.empty();
  f.continue_with_others = o.keep_going ? 1 : 0;
  return {};
}

void AddFilterOptions(CLI::App* add, FilterOptions& o) {
  LogFilter& f = o.filter;
  add->add_option("--name", f.name, "the filter's name (default \"New Filter\")");
  for (const char* condition :
       {"address", "user-agent", "referrer", "method", "status", "resource", "query"}) {
    const std::string_view c = condition;
    const char* ops = c == "address"                   ? kAddressOps
                      : c == "method" || c == "status" ? kExactOps
                                                       : kTextOps;
    add->add_option(std::string("--") + condition + "-op", o.ops[condition],
                    std::string("how the ") + condition + " is tested: " + ops +
                        " (default: equals when --" + condition + " is given, else any)");
  }
  add->add_option("--address", f.address_text, "address or network a.b.c.d[/bits]");
  add->add_option("--user-agent", f.user_agent_text, "user-agent text");
  add->add_option("--referrer", f.referrer_text, "referrer text");
  add->add_option("--method", f.method_text, "method, e.g. POST");
  add->add_option("--status", f.status, "HTTP status");
  add->add_option("--resource", f.resource_text, "resource path");
  add->add_option("--query", f.query_text, "query string");
  add->add_option("--set-user-agent", f.new_user_agent, "replace the user agent with this text");
  add->add_option("--set-referrer", f.new_referrer, "replace the referrer with this text");
  add->add_option("--set-resource", f.new_resource, "replace the resource with this text");
  add->add_option("--set-query", f.new_query, "replace the query string with this text");
  add->add_option("--type", o.type, "undefined, page, download, image or unchanged (default)");
  add->add_option("--logging", o.logging,
                  "do-not-log (default), log-as-visit, non-visit or unchanged");
  add->add_flag("--continue", o.keep_going, "go on with the next filters after this one");
  add->add_flag("--match-all", o.match_all,
                "let a filter without any condition apply to every request");
}

void RegisterFilters(CommandTable& table) {
  CLI::App* filters =
      table.app.add_subcommand("filters", "the log filters applied while parsing (when enabled)");
  filters->require_subcommand(1);
  filters->footer(
      "\nConditions left out (or 'any') always hold; the first filter whose conditions all hold\n"
      "applies its replacements and actions, then stops unless --continue was given.\n"
      "Examples:\n"
      "  velmora filters add --name 'Office' --address-op subnet --address 10.0.0.0/8\n"
      "  velmora filters add --name 'Feeds' --resource-op equals --resource /rss.xml "
      "--logging non-visit\n"
      "  velmora filters enable");
  CliContext& context = table.context;
  int& status = table.status;

  filters->add_subcommand("list", "the filters, numbered, and whether filtering is on")
      ->footer("\nExample:\n  velmora filters list")
      ->callback([&] {
        status = WithSettings(context, [](const WorkspaceSettings& s) {
          std::printf("Enable Filters: %s\n", FiltersEnabled(s) ? "on" : "off");
          std::vector<std::vector<std::string>> rows = {{"#", "Name", "Conditions and actions"}};
          for (const LogFilterLine& f : ListFilters(s)) {
            rows.push_back({std::to_string(f.number), f.name, f.summary});
          }
          if (rows.size() > 1) PrintColumns(rows);
        });
      });
  auto add_options = std::make_shared<FilterOptions>();
  add_options->ops = {};
  CLI::App* add = filters->add_subcommand("add", "append a filter");
  AddFilterOptions(add, *add_options);
  add->footer(
      "\nA filter needs at least one condition (or --match-all). Conditions left out hold.\n"
      "Examples:\n"
      "  velmora filters add --name Office --address-op subnet --address 10.0.0.0/8\n"
      "  velmora filters add --name Bots --user-agent-op includes --user-agent bot "
      "--logging non-visit\n"
      "  velmora filters add --name Feeds --resource /rss.xml --type undefined --logging "
      "non-visit");
  add->callback([&, add_options, add] {
    FilterOptions o = *add_options;
    // Conditions given without an operation test for equality; left out entirely, they hold.
    for (auto& [condition, op] : o.ops) {
      if (op.empty()) op = add->count("--" + condition) > 0 ? "equals" : "any";
    }
    if (o.ops["address"] == "any" && add->count("--address") == 0) o.filter.address_text.clear();
    if (Status s = ResolveFilterOptions(o); !s.ok()) {
      status = UsageError(s.error().message);
      return;
    }
    if (!HasCondition(o.filter) && !o.match_all) {
      status = UsageError(
          "the filter has no condition, so it would apply to every request; give one "
          "(--address, --user-agent, --referrer, --method, --status, --resource, --query) or "
          "--match-all");
      return;
    }
    status = EditSettings(context, [&o](WorkspaceSettings& s) { return AddFilter(s, o.filter); });
  });
  auto n = std::make_shared<FilterOptions>();
  CLI::App* remove = filters->add_subcommand("remove", "delete filter N");
  remove->footer("\nExample:\n  velmora filters remove 2");
  remove->add_option("N", n->number, "the filter's number in 'filters list'")->required();
  remove->callback([&, n] {
    status =
        EditSettings(context, [n](WorkspaceSettings& s) { return RemoveFilter(s, n->number); });
  });
  CLI::App* move = filters->add_subcommand("move", "move filter N up or down by one");
  move->footer("\nExample:\n  velmora filters move 2 up");
  move->add_option("N", n->number, "the filter's number in 'filters list'")->required();
  move->add_option("DIRECTION", n->direction, "up or down")->required();
  move->callback([&, n] {
    const std::optional<MoveDirection> direction = ParseDirection(n->direction);
    if (!direction) {
      status = UsageError("DIRECTION is up or down, not '" + n->direction + "'");
      return;
    }
    status = EditSettings(
        context, [&](WorkspaceSettings& s) { return MoveFilter(s, n->number, *direction); });
  });
  for (const bool on : {true, false}) {
    filters->add_subcommand(on ? "enable" : "disable", on ? "\"Enable Filters\" on" : "off")
        ->footer(on ? "\nExample:\n  velmora filters enable"
                    : "\nExample:\n  velmora filters disable")
        ->callback([&, on] {
          status = EditSettings(context, [on](WorkspaceSettings& s) {
            SetFiltersEnabled(s, on);
            return Status{};
          });
        });
  }
}

}  // namespace

void RegisterRuleCommands(CommandTable& table) {
  RegisterRules(table);
  RegisterFilters(table);
}

int RunInspectRules(CliContext& context, const std::string& url) {
  return WithSettings(context, [&url](const WorkspaceSettings& s) {
    const UrlClassification c = ClassifyUrl(s, url);
    nlohmann::json out{{"class", c.request_class},
                       {"type", c.type},
                       {"type_name", std::string(c.type_name)},
                       {"logging", c.logging},
                       {"logging_name", std::string(c.logging_name)}};
    std::printf("%s\n", JsonLine(out).c_str());
  });
}

}  // namespace velmora::cli
