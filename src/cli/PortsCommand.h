#pragma once

#include <iosfwd>
#include <vector>

#include "platform/PortSurvey.h"

namespace rq::cli {

struct PortsOptions {
    bool json = false;
};

// One line per port: COMn, the device, whether it opens and why not, what a USB adapter says of
// itself. With json, one array of objects.
void printPorts(const std::vector<PortReport>& reports, std::ostream& out, bool json);

// `rqfwup-cli ports` on the system's serial devices; returns the exit status.
int listPorts(const PortsOptions& options, std::ostream& out);

}  // namespace rq::cli
