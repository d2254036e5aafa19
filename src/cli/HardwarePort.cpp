#include "cli/HardwarePort.h"

#include "cli/Options.h"
#include "platform/QtPort.h"

namespace rq::cli {

HardwarePort makeHardwarePort(const std::string& name) {
    auto port = std::make_unique<QtPort>();
    // A missing device is not refused here: step 2 reports it as the window would.
    const auto number = comPortNumber(name);
    const int portNumber = number ? *number : port->portTable().registerDevicePath(name);
    return {std::move(port), portNumber};
}

}  // namespace rq::cli
