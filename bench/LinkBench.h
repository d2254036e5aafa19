#pragma once

namespace rq {

// Runs the parameter backup and restore against the simulated RQ system and prints their figures.
void runLinkBenchmarks();

}  // namespace rq
