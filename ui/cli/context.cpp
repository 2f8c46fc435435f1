#include "ui/cli/context.h"

#include <cstdio>

namespace velmora::cli {

int Fail(const std::string& text) {
  std::fprintf(stderr, "velmora: %s\n", text.c_str());
  return kExitFailure;
}

int UsageError(const std::string& text) {
  std::fprintf(stderr, "velmora: %s\nRun 'velmora --help' for the commands and their options.\n",
               text.c_str());
  return kExitUsage;
}

}  // namespace velmora::cli
