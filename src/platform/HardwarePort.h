#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/io/Port.h"

namespace rq {

struct HardwarePort {
    std::unique_ptr<Port> port;
    int number = 0;  // the COMn the port is reached as
};

// A real serial port from COMn or a device path.
HardwarePort makeHardwarePort(const std::string& name);

// "COM12" gives 12; nullopt for anything that is not COM1 to COM255.
std::optional<int> comPortNumber(const std::string& port);

}  // namespace rq
