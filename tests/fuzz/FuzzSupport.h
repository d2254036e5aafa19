#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/io/LineSettings.h"
#include "core/io/Port.h"
#include "core/io/SilentView.h"
#include "core/state/WizardState.h"
#include "sim/VirtualClock.h"
#include "support/PortStub.h"

namespace rq::fuzz {

using Bytes = std::vector<std::uint8_t>;

// A broken promise is a crash, so that libFuzzer keeps the input.
inline void require(bool promise, const char* what) {
    if (promise) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

// What a device makes of the computer's requests.
class FuzzedDevice {
  public:
    virtual ~FuzzedDevice() = default;
    // The answer of a device that works.
    virtual Bytes soundAnswer(std::span<const std::uint8_t> request) = 0;
    // An answer of the right form whose every field the input chooses.
    virtual Bytes framedAnswer(std::span<const std::uint8_t> request, FuzzedDataProvider& input) = 0;
};

// The device's end of the line, played by the fuzz input on a virtual clock: at every read the input
// says whether the device is silent, sends bytes of its choosing, a frame of its choosing, or the
// sound answer, which may stand for a run of sound exchanges so that a short input reaches the late
// ones. Once the input is used up, every request gets its sound answer once.
class FuzzedDevicePort final : public test::PortStub {
  public:
    struct Exchange {
        Bytes sent;
        Bytes answered;  // everything read until the next write
    };

    FuzzedDevicePort(FuzzedDataProvider& input, Clock& clock, FuzzedDevice& device)
        : input_(input), clock_(clock), device_(device) {}

    const std::vector<Exchange>& exchanges() const { return exchanges_; }

    PortError setSettings(const std::string& text) override {
        if (!parseLineSettings(text)) return PortError::BadSettings;
        return PortStub::setSettings(text);
    }

    PortError write(std::span<const std::uint8_t> bytes) override {
        if (soundRequests_ > 0) --soundRequests_;
        if (rarely()) return PortError::Io;
        exchanges_.push_back({Bytes(bytes.begin(), bytes.end()), {}});
        answered_ = false;
        return PortError::None;
    }
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        Bytes bytes = serve(atLeast, timeout);
        if (!exchanges_.empty())
            exchanges_.back().answered.insert(exchanges_.back().answered.end(), bytes.begin(), bytes.end());
        return bytes;
    }
    bool cts() override { return !rarely(); }
    bool dsr() override { return rarely(); }

  private:
    enum Choice { Silence, RawBytes, Framed, Sound };
    // Bytes take their time on the line, so that a talkative device cannot stop the clock.
    static constexpr Micros kByteTime{40};

    Bytes serve(std::size_t atLeast, Micros timeout) {
        Choice choice = Sound;
        if (soundRequests_ == 0 && input_.remaining_bytes() > 0) {
            choice = Choice(input_.ConsumeIntegralInRange(0, 3));
            if (choice == Sound) soundRequests_ = 4 * input_.ConsumeIntegral<std::uint8_t>();
        }
        Bytes bytes;
        if (choice == RawBytes) {
            bytes = input_.ConsumeBytes<std::uint8_t>(
                input_.ConsumeIntegralInRange<std::size_t>(0, atLeast + 16));
        } else if (choice == Framed && !exchanges_.empty()) {
            bytes = device_.framedAnswer(exchanges_.back().sent, input_);
        } else if (choice == Sound && !answered_ && !exchanges_.empty()) {
            bytes = device_.soundAnswer(exchanges_.back().sent);
            answered_ = true;
        }
        const Micros lineTime = kByteTime * static_cast<long>(bytes.size());
        clock_.sleep(bytes.empty() || lineTime > timeout ? timeout : lineTime);
        return bytes;
    }
    // A line or port fault now and then, while the input lasts.
    bool rarely() {
        return soundRequests_ == 0 && input_.remaining_bytes() > 0 &&
               input_.ConsumeIntegralInRange(0, 63) == 0;
    }

    FuzzedDataProvider& input_;
    Clock& clock_;
    FuzzedDevice& device_;
    std::vector<Exchange> exchanges_;
    bool answered_ = false;
    int soundRequests_ = 0;  // requests still to be answered soundly without asking the input
};

// A wizard state on the virtual clock, whose port the input plays.
struct FuzzedSteps {
    FuzzedSteps(FuzzedDataProvider& input, FuzzedDevice& device) : port(input, clock, device) {}

    sim::VirtualClock clock;
    FuzzedDevicePort port;
    SilentView view;
    WizardState state;
    StepContext context{state, port, clock, view};
};

}  // namespace rq::fuzz
