#pragma once

#include <memory>

#include "sim/Faults.h"
#include "sim/SimDevice.h"

namespace rq::sim {

// How long the simulated device takes for its own work (line time aside).
struct DeviceTimings {
    Micros reply{200};         // between a complete request and the first byte of its answer
    Micros chipErase{20'000};  // a real chip takes seconds
    Micros blockWrite{1'000};  // one 256-byte block
    Micros blockVerify{200};
    Micros securitySet{2'000};
    Micros parameterInit{50'000};  // PARAM_124
};

struct RqSystemOptions {
    Faults faults;
    DeviceTimings timings;
    LineNoise noise;  // the fault noise=RATE spreads its rate over the kinds instead
    bool instantLine = false;
    // The latency timer of a USB adapter at the computer's end (16 ms as common adapters are shipped);
    // 0 for a plain serial port. The fault latency=MS takes its place.
    Millis adapterLatency{0};
};

// The RQ system with both of its firmwares, powered off, its FW switch at "-", and its flash holding a
// program of version 1.2.0.
std::unique_ptr<SimDevice> makeRqSystem(Clock& clock, const RqSystemOptions& options);

// Firmware version bytes the normal-mode firmware reports for what its flash holds (see the tag in
// firmwareTag()); {0, 0} when the flash carries no tag.
std::array<std::uint8_t, 2> flashFirmwareVersion(const DeviceMemory& memory);

// The first bytes of a program's data that carry its version a.b.c: "RQVER" a b c. The firmware file
// generator writes it, so that a device reports 10a+b and c once it runs the program.
std::array<std::uint8_t, 8> firmwareTag(std::uint8_t a, std::uint8_t b, std::uint8_t c);

}  // namespace rq::sim
