#pragma once

namespace rq {

// Runs step 5 against the simulated RQ system and prints its figures, one a line.
void runFlashBenchmarks();

}  // namespace rq
