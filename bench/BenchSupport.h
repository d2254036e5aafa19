#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/io/Clock.h"
#include "core/io/ForwardingPort.h"
#include "core/io/WizardView.h"

namespace rq::bench {

using Seconds = std::chrono::duration<double>;

// The clock the step sees: real time, adding up every wait the step itself asks for.
class MeteredClock final : public Clock {
  public:
    explicit MeteredClock(Clock& real) : real_(real) {}
    Micros now() const override { return real_.now(); }
    void sleepUntil(Micros when) override {
        waited_ += std::max(when - now(), Micros(0));
        real_.sleepUntil(when);
    }
    Micros waited() const { return waited_; }

  private:
    Clock& real_;
    Micros waited_{0};
};

// The port the step sees: the simulated one, adding up the time each byte it carries takes on the line.
class MeteredPort final : public ForwardingPort {
  public:
    explicit MeteredPort(Port& port) : ForwardingPort(port) {}
    Seconds lineTime() const { return lineTime_; }
    // Frames written, each one exchange with the device; repeated requests count again.
    std::size_t exchanges() const { return exchanges_; }

    PortError write(std::span<const std::uint8_t> bytes) override {
        ++exchanges_;
        carried(bytes.size());
        return ForwardingPort::write(bytes);
    }
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        std::vector<std::uint8_t> bytes = ForwardingPort::read(atLeast, timeout);
        carried(bytes.size());
        return bytes;
    }

  private:
    void carried(std::size_t bytes);

    Seconds lineTime_{0};
    std::size_t exchanges_ = 0;
};

// A window nobody looks at.
class SilentView final : public WizardView {
  public:
    void setText(Control, const std::string&) override {}
    void setBold(Control, bool) override {}
    void setEnabled(Control, bool) override {}
    void setProgress(const Progress&) override {}
    void setStatus(int, const std::string&) override {}
    void setBusyPointer(bool) override {}
    void stepIndexChanged(int) override {}
    void traceLine(const std::string&) override {}
    void showMessage(const std::string&, const std::string&) override {}
    std::optional<FileChoice> chooseFirmwareFile() override { return std::nullopt; }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return std::nullopt; }
    void showSettingsDialog(const std::optional<PortConfModel>&) override {}
    void endProgram() override {}
};

// One figure a line, in seconds.
void print(const std::string& name, Seconds value);
// A figure against its floor: both, and their ratio.
void printAgainstFloor(const std::string& name, Seconds wall, Seconds floor, const std::string& target);

}  // namespace rq::bench
