#include "workspace/parse_setup.h"

#include "analysis/rules/rules_parse_options.h"

namespace velmora {

ParseOptions MakeParseOptions(const WorkspaceSettings& settings, int32_t time_shift_seconds) {
  ParseOptions options;
  options.default_file = settings.block.default_file;
  options.time_offset_seconds = time_shift_seconds;
  options.tally = std::make_shared<CompletionTally>();
  SetRequestClassifiers(settings.resource_masks, settings.log_filters,
                        (settings.block.flags & kFlagEnableFilters) != 0, options);
  return options;
}

ParseSettings MakeParseSettings(const Workspace& workspace) {
  ParseSettings parse;
  parse.workspace_folder = workspace.folder();
  parse.workspace_name = workspace.settings().block.workspace_name;
  parse.log_format_mode = workspace.settings().block.log_format_mode;
  parse.stored_format = workspace.settings().block.custom_format;
  parse.options = MakeParseOptions(workspace.settings(), workspace.time_shift());
  return parse;
}

RequestProcessorSettings MakeRequestProcessorSettings(const WorkspaceSettings& settings) {
  RequestProcessorSettings out;
  out.session_timeout_minutes = settings.block.session_timeout;
  out.advanced_visit_detection = (settings.block.flags & kFlagAdvancedVisitDetection) != 0;
  out.store_full_path = (settings.block.flags & kFlagStoreFullPath) != 0;
  out.server_names = settings.block.server_names;
  return out;
}

}  // namespace velmora
