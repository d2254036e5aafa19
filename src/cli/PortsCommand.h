#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Subcommand.h"
#include "platform/PortSurvey.h"

namespace rq::cli {

// One line per port: COMn, the device, whether it opens and why not, what a USB adapter says of
// itself. With json, one array of objects.
void printPorts(const std::vector<PortReport>& reports, std::ostream& out, bool json);

// `rqfwup-cli ports [--json]` on the system's serial devices; returns the exit status.
int runPorts(const std::vector<std::string>& args, const Io& io);
extern const char* const kPortsSynopsis;

}  // namespace rq::cli
