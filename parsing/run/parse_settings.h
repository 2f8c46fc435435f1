// ParseSettings: what a parse run takes from its workspace, as a plain value, so that parsing
// never depends on the workspace code. The caller fills it from the workspace settings and saves
// the workspace when the run reports a newly detected format.
#pragma once

#include <cstdint>
#include <string>

#include "parsing/formats/log_format_mode.h"
#include "parsing/records/record_completion.h"

namespace velmora {

struct ParseSettings {
  // The folder that holds logs/, reports/ and parsing.log.
  std::string workspace_folder;
  std::string workspace_name;
  LogFormatMode log_format_mode = LogFormatMode::kAutodetect;
  // Under Custom the user's format string; under Autodetect the last format detected for this
  // workspace, tried first and used when detection fails; empty for W3C Extended or none.
  std::string stored_format;
  // Default document, time offset, resource rules and log filters for completing records.
  ParseOptions options;
  // Caches and block-parallel bzip2 decoding that leave every table byte for byte as the plain
  // algorithms would; off only to prove exactly that.
  bool accelerated = true;
};

}  // namespace velmora
