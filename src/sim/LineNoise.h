#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace rq::sim {

// A bad cable: the chance, per byte sent, that it arrives with one bit flipped, not at all, twice, or
// after a stray byte. The kinds exclude one another for one byte.
struct LineNoise {
    double flip = 0, drop = 0, duplicate = 0, insert = 0;
    bool normalMode = true, programmingMode = true;
    std::uint64_t seed = 1;

    bool quiet() const { return flip + drop + duplicate + insert <= 0; }
};

// A total rate per byte, spread evenly over the four kinds, in both modes.
LineNoise spreadNoise(double rate, std::uint64_t seed = 1);

// What arrives at the far end for one byte sent: none, one or two bytes.
struct Arrival {
    std::array<std::uint8_t, 2> bytes{};
    std::size_t count = 0;

    std::span<const std::uint8_t> received() const { return std::span(bytes).first(count); }
};

// One direction of the line; the same seed gives the same faults for the same bytes.
class NoiseSource {
  public:
    explicit NoiseSource(std::uint64_t seed = 1) : state_(seed) {}

    Arrival pass(std::uint8_t byte, const LineNoise& noise);
    std::uint64_t next();

  private:
    double uniform();  // [0, 1)

    std::uint64_t state_;
};

}  // namespace rq::sim
