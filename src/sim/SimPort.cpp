#include "sim/SimPort.h"

namespace rq::sim {
namespace {

bool supported(const LineSettings& settings) {
    return settings.dataBits >= 5 && settings.stopBits != StopBits::OneAndHalf;
}

}  // namespace

SimPort::SimPort(SimDevice& device, int devicePortNumber)
    : device_(device), devicePortNumber_(devicePortNumber) {}

std::string SimPort::deviceName(int number) const {
    return number == devicePortNumber_ ? "simulated RQ system" : "";
}

PortError SimPort::setSettings(const std::string& text) {
    const auto parsed = parseLineSettings(text);
    if (!parsed || (open_ && !supported(*parsed))) return PortError::BadSettings;
    settingsText_ = text;
    settings_ = *parsed;
    if (open_) applied_.push_back(text);
    return PortError::None;
}

PortError SimPort::setFlowControl(FlowControl flow) {
    flow_ = flow;
    return PortError::None;
}

PortError SimPort::open() {
    if (open_) return PortError::None;
    if (number_ != devicePortNumber_) return PortError::InvalidPort;
    if (!supported(settings_)) return PortError::BadSettings;
    open_ = true;
    applied_.push_back(settingsText_);
    return PortError::None;
}

void SimPort::close() {
    open_ = false;
}

PortError SimPort::write(std::span<const std::uint8_t> bytes) {
    if (!open_) return PortError::NotOpen;
    device_.hostWrite(bytes, settings_);
    return PortError::None;
}

std::vector<std::uint8_t> SimPort::read(std::size_t atLeast, Micros timeout) {
    if (!open_) {
        device_.clock().sleep(timeout);
        return {};
    }
    return device_.hostRead(atLeast, timeout, settings_);
}

void SimPort::discardInput() {
    if (open_) device_.hostDiscardInput();
}

void SimPort::discardOutput() {
    if (open_) device_.hostDiscardOutput();
}

bool SimPort::cts() {
    return open_ && device_.hostCts(rts_);
}
bool SimPort::dsr() {
    return open_ && device_.hostDsr(dtr_);
}

}  // namespace rq::sim
