#pragma once

#include "core/io/Clock.h"

namespace rq {

// The processor time the whole process has used so far, in user and kernel mode, over all its threads.
Micros processCpuTime();

}  // namespace rq
