#pragma once

#include <string>

namespace rq {

// The operating system, its kernel and the processor, in one line for a support log.
std::string systemDescription();

}  // namespace rq
