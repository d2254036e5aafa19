#pragma once

namespace rq {

// Runs whole updates of one simulated RQ system alone and of four at once, each by a wizard on a thread
// of its own, and prints step 5's time and the processor time they take, one figure a line.
void runManyDevicesBenchmarks();

}  // namespace rq
