#pragma once

#include <string>

#include "cli/Subcommand.h"

namespace rq::cli {

// rqfwup-cli simulate: the simulated RQ system on a pseudo-terminal, its front panel on standard input.
int runSimulate(const std::vector<std::string>& args, const Io& io);
extern const char* const kSimulateSynopsis;
std::string simulateHelp();

}  // namespace rq::cli
