// The terminal the command line runs in: whether standard error is one (progress is drawn only
// there), whether standard output is one (reports are laid out for it) and how wide they are.
#pragma once

namespace velmora {

bool StderrIsTerminal();
// Columns of the terminal on standard error; 80 when unknown.
int StderrColumns();
// Whether standard input is a terminal: a person can answer there.
bool StdinIsTerminal();
// Whether standard output is a terminal, and its columns (80 when unknown).
bool StdoutIsTerminal();
int StdoutColumns();
// Whether standard output is a terminal that shows colours: not "dumb", and NO_COLOR unset.
bool StdoutShowsColour();

}  // namespace velmora
