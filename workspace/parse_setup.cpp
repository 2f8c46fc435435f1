#include "workspace/parse_setup.h"

namespace velmora {

ParseOptions MakeParseOptions(const WorkspaceSettings& settings, int32_t time_shift_seconds) {
  ParseOptions options;
  options.default_file = settings.block.default_file;
  options.time_offset_seconds = time_shift_seconds;
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

}  // namespace velmora
