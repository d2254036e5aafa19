#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/io/Port.h"
#include "core/io/CommSettings.h"

namespace rq {

struct HardwarePort {
    std::unique_ptr<Port> port;
    int number = 0;  // the COMn the port is reached as
};

// Told why a port did not open, each time an open fails: the system's reason for a device that exists,
// or that there is no such device.
using OpenFailureReport = std::function<void(const std::string& why)>;

// A real serial port from COMn or a device path; `report`, when given, hears of every failed open.
HardwarePort makeHardwarePort(const std::string& name, OpenFailureReport report = {});

}  // namespace rq
