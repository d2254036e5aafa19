#include "cli/DevicePort.h"

#include <ostream>

#include "sim/SimPort.h"

namespace rq::cli {

DevicePort attachDevicePort(const PortOptions& port, const SimOptions& sim, Clock& clock,
                            OpenFailureReport report) {
    if (!sim.simulate) {
        HardwarePort hardware = makeHardwarePort(port.port, std::move(report));
        return {nullptr, std::move(hardware.port), hardware.number};
    }
    DevicePort attached;
    attached.number = *comPortNumber(port.port);
    attached.device = sim::makeRqSystem(clock, sim.systemOf(attached.number));
    attached.device->setFwSwitch(false);
    attached.device->setPower(true);
    attached.port = std::make_unique<sim::SimPort>(*attached.device, attached.number);
    return attached;
}

void printFaultHelp(std::ostream& out) {
    out << "Faults of the simulated RQ system:\n"
        << sim::faultHelp()
        << "A fault applies to every simulated device, or to one named before it: COMn:NAME[=VALUE] for\n"
           "the device at COMn, N:NAME[=VALUE] for the Nth device of simulate --count. The faults that\n"
           "name a device take precedence over those that do not.\n";
}

}  // namespace rq::cli
