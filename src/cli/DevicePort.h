#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <variant>

#include "cli/Options.h"
#include "core/io/Port.h"
#include "platform/HardwarePort.h"
#include "sim/SimDevice.h"

namespace rq::cli {

// The port a run talks through: a real serial port, or one with the simulated RQ system behind it,
// switched on in normal mode.
struct DevicePort {
    std::unique_ptr<sim::SimDevice> device;  // only when simulated
    std::unique_ptr<Port> port;
    int number = 1;  // the COMn the port is reached as
};

// A simulated device takes the faults for every device and those for its own port. A real port tells
// `report` why a device that exists did not open.
DevicePort attachDevicePort(const PortOptions& port, const SimOptions& sim, Clock& clock,
                            OpenFailureReport report = {});

// What --sim-fault help shows.
void printFaultHelp(std::ostream& out);

}  // namespace rq::cli
