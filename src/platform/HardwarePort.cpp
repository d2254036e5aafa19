#include "platform/HardwarePort.h"

#include <charconv>

#include "platform/QtPort.h"

namespace rq {

HardwarePort makeHardwarePort(const std::string& name) {
    auto port = std::make_unique<QtPort>();
    // A missing device is not refused here: step 2 reports it as the window would.
    const auto number = comPortNumber(name);
    const int portNumber = number ? *number : port->portTable().registerDevicePath(name);
    return {std::move(port), portNumber};
}

std::optional<int> comPortNumber(const std::string& port) {
    if (port.size() < 4 || port.compare(0, 3, "COM") != 0) return std::nullopt;
    int number = 0;
    const char* end = port.data() + port.size();
    const auto [at, error] = std::from_chars(port.data() + 3, end, number);
    if (error != std::errc() || at != end || number < 1 || number > 255) return std::nullopt;
    return number;
}

}  // namespace rq
