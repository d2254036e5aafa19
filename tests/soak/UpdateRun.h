#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/io/Clock.h"
#include "sim/LineNoise.h"

namespace rq::soak {

enum class NoiseMode : std::uint8_t { Normal, Programming, Both };

std::string_view modeName(NoiseMode mode);
std::optional<NoiseMode> modeNamed(std::string_view name);

// One row of the tables: a noise level, where it strikes, and whether step 7 reads the identity back.
struct Cell {
    double rate = 0;  // per byte, all four kinds together
    NoiseMode mode = NoiseMode::Both;
    bool verifyIdentity = true;
};

sim::LineNoise noiseOf(const Cell& cell, std::uint64_t seed);

// Why a run that ended in success left the device wrong.
enum class Cause : std::uint8_t { None, FlashWrong, ReadWrong, WrittenWrong, NeverRead };
std::string_view causeText(Cause cause);

struct Failure {
    int step = 0;  // 1 to 8
    int code = 0;  // the code of its message box
};

// After a failure in step 5 or 7: Next on the screen shown then, over a clean line, to the end.
struct Recovery {
    std::optional<Failure> failure;  // the walk failed again
    Cause cause = Cause::None;       // it ended, but the device is wrong
    bool identityWrong = false;      // the device's identity differs from what it had before the update

    bool complete() const { return !failure && cause == Cause::None; }
};

struct RunOutcome {
    std::optional<Failure> failure;  // the first
    Cause falseSuccess = Cause::None;
    bool hung = false;
    std::optional<Recovery> recovery;
    Micros time{0};

    bool succeeded() const { return !failure.has_value(); }
};

// No run that ends takes longer than this on the virtual clock, recovery included.
inline constexpr Micros kHangBound = std::chrono::minutes(10);

// The firmware every run programs, and the flash it must leave.
struct SoakFirmware {
    std::string path;
    std::vector<std::uint8_t> expectedFlash;
};
SoakFirmware writeSoakFirmware(const std::string& path);

// One whole update from step 1 to step 8 on the simulated device; `trace` gets every frame when given.
RunOutcome runUpdate(const Cell& cell, std::uint64_t seed, const SoakFirmware& firmware,
                     std::ostream* trace = nullptr);

}  // namespace rq::soak
