#pragma once

#include <string>

#include "cli/Subcommand.h"

namespace rq::cli {

// rqfwup-cli info: reads the device's identity and version as the backup step does, and prints them.
int runInfo(const std::vector<std::string>& args, const Io& io);
extern const char* const kInfoSynopsis;
std::string infoHelp();

}  // namespace rq::cli
