// The `velmora` command: global options, the command table and the exit-status contract
// (0 success, 1 failure, 2 usage).
#pragma once

namespace velmora::cli {

int RunVelmora(int argc, char** argv);

}  // namespace velmora::cli
