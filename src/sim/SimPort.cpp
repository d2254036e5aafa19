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
    return number == devicePortNumber_ && plugged() ? "simulated RQ system" : "";
}

PortError SimPort::setSettings(const std::string& text) {
    const auto parsed = parseLineSettings(text);
    const bool open = isOpen();
    if (!parsed || (open && !supported(*parsed))) return PortError::BadSettings;
    settingsText_ = text;
    settings_ = *parsed;
    if (open) applied_.push_back(text);
    return PortError::None;
}

PortError SimPort::setFlowControl(FlowControl flow) {
    flow_ = flow;
    return PortError::None;
}

PortError SimPort::open() {
    std::lock_guard lock(cableMutex_);
    if (open_) return PortError::None;
    if (!plugged_ || number_ != devicePortNumber_) return PortError::InvalidPort;
    if (!supported(settings_)) return PortError::BadSettings;
    open_ = true;
    applied_.push_back(settingsText_);
    device_.hostDiscardInput();  // a closed port receives nothing
    driveLinesLocked();
    return PortError::None;
}

void SimPort::close() {
    std::lock_guard lock(cableMutex_);
    closeLocked();
}

bool SimPort::isOpen() const {
    std::lock_guard lock(cableMutex_);
    return open_;
}

void SimPort::closeLocked() {
    open_ = false;
    driveLinesLocked();
}

// A closed port drives neither line.
void SimPort::driveLinesLocked() {
    device_.hostSetLines(open_ && rts_, open_ && dtr_);
}

PortError SimPort::write(std::span<const std::uint8_t> bytes) {
    if (!isOpen()) return PortError::NotOpen;
    device_.hostWrite(bytes, settings_);
    return PortError::None;
}

std::vector<std::uint8_t> SimPort::read(std::size_t atLeast, Micros timeout) {
    const Micros deadline = device_.clock().now() + timeout;
    if (isOpen()) {
        std::vector<std::uint8_t> bytes = device_.hostRead(atLeast, timeout, settings_);
        if (isOpen()) return bytes;
    }
    device_.clock().sleepUntil(deadline);
    return {};
}

void SimPort::discardInput() {
    if (isOpen()) device_.hostDiscardInput();
}

void SimPort::discardOutput() {
    if (isOpen()) device_.hostDiscardOutput();
}

void SimPort::setRts(bool on) {
    std::lock_guard lock(cableMutex_);
    rts_ = on;
    driveLinesLocked();
}

void SimPort::setDtr(bool on) {
    std::lock_guard lock(cableMutex_);
    dtr_ = on;
    driveLinesLocked();
}

bool SimPort::cts() {
    return isOpen() && device_.hostCts(rts_);
}

bool SimPort::dsr() {
    return isOpen() && device_.hostDsr(dtr_);
}

void SimPort::unplug() {
    std::lock_guard lock(cableMutex_);
    plugged_ = false;
    closeLocked();
}

void SimPort::plug() {
    std::lock_guard lock(cableMutex_);
    plugged_ = true;
}

bool SimPort::plugged() const {
    std::lock_guard lock(cableMutex_);
    return plugged_;
}

}  // namespace rq::sim
