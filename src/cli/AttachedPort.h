#pragma once

#include <iosfwd>
#include <memory>
#include <optional>

#include "cli/HardwarePort.h"
#include "cli/Options.h"
#include "core/io/Clock.h"
#include "core/io/Port.h"
#include "sim/SimDevice.h"

namespace rq::cli {

// The port a run talks through: the serial port the options name, or a simulated RQ system on it.
struct AttachedPort {
    std::unique_ptr<sim::SimDevice> device;  // only when simulated
    std::unique_ptr<Port> port;
    int number = 1;  // the COMn the port is reached as
};

// The simulated device comes powered on in normal mode. nullopt when a fault of it is unknown; the
// reason has gone to `err`. A real port tells `report` why a device that exists did not open.
std::optional<AttachedPort> attachPort(const UpdateOptions& options, Clock& clock, std::ostream& err,
                                       OpenFailureReport report);

}  // namespace rq::cli
