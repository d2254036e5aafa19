#pragma once

#include "cli/Subcommand.h"

namespace rq::cli {

// rqfwup-cli make-firmware: writes a valid firmware file.
int runMakeFirmware(const std::vector<std::string>& args, const Io& io);
extern const char* const kMakeFirmwareSynopsis;

}  // namespace rq::cli
