#pragma once

#include <memory>
#include <string>

#include "core/io/Port.h"

namespace rq::cli {

struct HardwarePort {
    std::unique_ptr<Port> port;
    int number = 0;  // the COMn the port is reached as
};

// A real serial port from COMn or a device path.
HardwarePort makeHardwarePort(const std::string& name);

}  // namespace rq::cli
