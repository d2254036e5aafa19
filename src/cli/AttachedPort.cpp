#include "cli/AttachedPort.h"

#include <ostream>

#include "sim/RqSystem.h"
#include "sim/SimPort.h"

namespace rq::cli {

std::optional<AttachedPort> attachPort(const UpdateOptions& options, Clock& clock, std::ostream& err,
                                       OpenFailureReport report) {
    if (!options.simulate) {
        HardwarePort hardware = makeHardwarePort(options.port, std::move(report));
        return AttachedPort{nullptr, std::move(hardware.port), hardware.number};
    }
    sim::RqSystemOptions simOptions;
    simOptions.instantLine = options.simLineInstant;
    for (const std::string& fault : options.simFaults) {
        if (const auto reason = simOptions.faults.add(fault)) {
            err << "rqfwup-cli: " << *reason << "\n";
            return std::nullopt;
        }
    }
    AttachedPort attached;
    attached.number = *comPortNumber(options.port);
    attached.device = sim::makeRqSystem(clock, simOptions);
    attached.device->setFwSwitch(false);
    attached.device->setPower(true);
    attached.port = std::make_unique<sim::SimPort>(*attached.device, attached.number);
    return attached;
}

}  // namespace rq::cli
