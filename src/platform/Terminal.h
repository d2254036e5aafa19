#pragma once

#include <cstddef>

namespace rq {

// Readies standard output and standard error for the program's text, before any output: the same bytes
// on every system (a line ends in LF alone), UTF-8 on a console and the escape sequences that rewrite a
// line there. A window program started from a console writes to it. What it changes in the console is
// given back when the program ends.
void prepareConsole();

// Whether standard output goes to a terminal that can rewrite a line, rather than a file or a pipe.
bool standardOutputIsTerminal();

// The width of the terminal on standard output in columns; 80 when it cannot be told.
std::size_t terminalColumns();

}  // namespace rq
