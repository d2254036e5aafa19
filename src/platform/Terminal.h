#pragma once

#include <cstddef>

namespace rq {

// Readies the console for the program's text: UTF-8, and the escape sequences that rewrite a line in
// place. What it changes is given back when the program ends. Call it once, before any output.
void prepareConsole();

// Whether standard output goes to a terminal that can rewrite a line, rather than a file or a pipe.
bool standardOutputIsTerminal();

// The width of the terminal on standard output in columns; 80 when it cannot be told.
std::size_t terminalColumns();

}  // namespace rq
