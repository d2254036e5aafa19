#pragma once

#include <cstddef>

namespace rq {

// Whether standard output goes to a terminal rather than a file or a pipe.
bool standardOutputIsTerminal();

// The width of the terminal on standard output in columns; 80 when it cannot be told.
std::size_t terminalColumns();

}  // namespace rq
