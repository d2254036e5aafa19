#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/firmware/FirmwareFile.h"
#include "core/io/Clock.h"
#include "core/io/ForwardingPort.h"
#include "core/io/SilentView.h"

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

// The computer's end of the simulated line: a plain serial port, or a USB adapter that holds short
// replies up to its latency timer (16 ms as shipped, 1 ms when the driver asks for low latency).
struct Adapter {
    const char* name;  // added to a figure's name
    Millis latency;
};
inline constexpr Adapter kAdapters[] = {
    {"", Millis(0)}, {", 16 ms adapter", Millis(16)}, {", 1 ms adapter", Millis(1)}};

// The file every run programs, as the wizard holds it once chosen: a whole flash of generated data.
FirmwareFile generatedFirmware();

// One figure a line, in seconds.
void print(const std::string& name, Seconds value);
// A run on the plain line against its floor, or one behind an adapter beside the plain line's run.
void printRun(const std::string& name, const Adapter& adapter, Seconds wall, Seconds floor, Seconds plainWall,
              const std::string& target);
// A figure against its floor: both, and their ratio.
void printAgainstFloor(const std::string& name, Seconds wall, Seconds floor, const std::string& target);

}  // namespace rq::bench
