#include "platform/HardwarePort.h"

#include "core/io/ForwardingPort.h"
#include "platform/OpenFailure.h"
#include "platform/QtPort.h"

namespace rq {
namespace {

class ReportingPort final : public ForwardingPort {
  public:
    ReportingPort(std::unique_ptr<Port> inner, OpenFailureReport report)
        : ForwardingPort(*inner), inner_(std::move(inner)), report_(std::move(report)) {}

    PortError open() override {
        const PortError error = ForwardingPort::open();
        if (error == PortError::None) return error;
        if (const std::string why = whyNotOpened(); !why.empty()) {
            report_(why);
        } else if (error == PortError::InvalidPort) {
            // Nothing that exists refused it: there is no such device.
            const std::string device = deviceName(portNumber());
            report_(explainMissing(device.empty() ? "COM" + std::to_string(portNumber()) : device));
        }
        return error;
    }

  private:
    std::unique_ptr<Port> inner_;
    OpenFailureReport report_;
};

}  // namespace

HardwarePort makeHardwarePort(const std::string& name, OpenFailureReport report) {
    auto port = std::make_unique<QtPort>();
    // A missing device is not refused here: step 2 reports it as the window would.
    const auto number = comPortNumber(name);
    const int portNumber = number ? *number : port->portTable().registerDevicePath(name);
    if (!report) return {std::move(port), portNumber};
    return {std::make_unique<ReportingPort>(std::move(port), std::move(report)), portNumber};
}

}  // namespace rq
