#pragma once

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>

#include "core/io/ForwardingPort.h"
#include "core/io/SilentView.h"
#include "core/params/ParameterStore.h"
#include "sim/RqSystem.h"

namespace rq::soak {

// What the device must keep through an update: model name, serial number, identity byte of command 4.
struct Identity {
    std::string model;
    std::string serial;
    std::uint8_t param04 = 0;

    friend bool operator==(const Identity&, const Identity&) = default;
};

inline Identity identityOf(const sim::DeviceMemory& memory) {
    return {memory.modelName, memory.serialNumber, memory.param04};
}
inline Identity identityOf(const ParameterStore& store) {
    return {store.ModelName, store.SerialNumber, store.Param04Value};
}

// A run's device: powered on in normal mode, holding `identity`, on a line with `noise`.
inline std::unique_ptr<sim::SimDevice> deviceWith(Clock& clock, const Identity& identity,
                                                  const sim::LineNoise& noise = {}) {
    sim::RqSystemOptions options;
    options.noise = noise;
    auto device = sim::makeRqSystem(clock, options);
    sim::DeviceMemory memory = device->memory();
    memory.modelName = identity.model;
    memory.serialNumber = identity.serial;
    memory.param04 = identity.param04;
    device->setMemory(memory);
    device->setPower(true);
    return device;
}

// A device of its own for every run, so that a value carried over from elsewhere shows; the same seed
// gives the same identity on every platform.
inline Identity identityFor(std::uint64_t seed) {
    const std::uint64_t draw = sim::NoiseSource(seed).next();
    const auto digits = [](std::uint64_t value, int count) {
        std::string text;
        for (int i = 0; i < count; ++i, value /= 10)
            text.insert(text.begin(), static_cast<char>('0' + value % 10));
        return text;
    };
    return {"RQA-40" + digits(draw, 2), digits(draw >> 16, 5) + " ",
            static_cast<std::uint8_t>(1 + (draw >> 40) % 255)};
}

// The window of a user who reads every message box and presses OK; traces go to `trace` when given.
class QuietView final : public SilentView {
  public:
    explicit QuietView(std::ostream* trace = nullptr) : trace_(trace) {}

    int messages = 0;

    void traceLine(const std::string& line) override {
        if (trace_ != nullptr) *trace_ << line;
    }
    void showMessage(const std::string& title, const std::string& text, const std::string&) override {
        ++messages;
        if (trace_ != nullptr) *trace_ << "message box " << title << ": " << text << "\n";
    }

  private:
    std::ostream* trace_;
};

// Once a run has taken longer than any run that ends can take, the cable is cut: nothing more arrives
// and every wait the tool has then runs out, so a hung run still ends and is counted. A loop that
// waits for nothing would spin on the cut cable; that stops the program.
class CableCutter final : public ForwardingPort {
  public:
    CableCutter(Port& inner, Clock& clock, Micros bound)
        : ForwardingPort(inner), clock_(clock), bound_(bound) {}

    bool cut() const { return cut_; }

    PortError write(std::span<const std::uint8_t> bytes) override {
        return cutNow() ? PortError::None : ForwardingPort::write(bytes);
    }
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        if (!cutNow()) return ForwardingPort::read(atLeast, timeout);
        clock_.sleep(timeout);
        return {};
    }
    bool cts() override { return !cutNow() && ForwardingPort::cts(); }
    bool dsr() override { return !cutNow() && ForwardingPort::dsr(); }

  private:
    static constexpr long kCallsAfterCut = 10'000'000;

    bool cutNow() {
        if (!cut_ && clock_.now() <= bound_) return false;
        cut_ = true;
        if (++callsAfterCut_ > kCallsAfterCut) {
            std::cerr << "rqsoak: a run keeps using the port after the cable was cut: it never ends\n";
            std::abort();
        }
        return true;
    }

    Clock& clock_;
    Micros bound_;
    bool cut_ = false;
    long callsAfterCut_ = 0;
};

}  // namespace rq::soak
