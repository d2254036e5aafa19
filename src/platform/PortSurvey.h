#pragma once

#include <optional>
#include <vector>

#include "platform/OpenFailure.h"
#include "platform/PortNames.h"
#include "platform/QtPort.h"

namespace rq {

struct PortReport {
    NumberedPort port;
    bool opens = false;
    std::optional<OpenFailure> failure;  // why it did not open, when the system said
};

// Every serial device the system lists, numbered as the settings dialog numbers them, and whether it
// opens at the dialog's probe settings. The port is left closed.
std::vector<PortReport> surveyPorts(QtPort& port);

}  // namespace rq
