#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/io/Port.h"

namespace rq::cli {

struct HardwarePort {
    std::unique_ptr<Port> port;
    int number = 0;  // the COMn the port is reached as
};

// Told why a device that exists did not open, each time an open fails so.
using OpenFailureReport = std::function<void(const std::string& why)>;

// A real serial port from COMn or a device path.
HardwarePort makeHardwarePort(const std::string& name, OpenFailureReport report);

}  // namespace rq::cli
