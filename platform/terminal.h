// The terminal the command line runs in: whether standard error is one (progress is drawn only
// there) and how wide it is.
#pragma once

namespace velmora {

bool StderrIsTerminal();
// Columns of the terminal on standard error; 80 when unknown.
int StderrColumns();

}  // namespace velmora
