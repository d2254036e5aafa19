#pragma once

#include <chrono>

namespace rq {

// The processor time the process has used so far, in all its threads. (std::clock() tells it on
// POSIX systems, but the time since the program started on Windows.)
std::chrono::duration<double> processorTime();

}  // namespace rq
