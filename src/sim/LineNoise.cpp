#include "sim/LineNoise.h"

namespace rq::sim {

LineNoise spreadNoise(double rate, std::uint64_t seed) {
    const double each = rate / 4;
    return {each, each, each, each, true, true, seed};
}

Arrival NoiseSource::pass(std::uint8_t byte, const LineNoise& noise) {
    if (noise.quiet()) return {{byte}, 1};
    double draw = uniform();
    if ((draw -= noise.flip) < 0) return {{static_cast<std::uint8_t>(byte ^ (1u << (next() % 8)))}, 1};
    if ((draw -= noise.drop) < 0) return {};
    if ((draw -= noise.duplicate) < 0) return {{byte, byte}, 2};
    if ((draw -= noise.insert) < 0) return {{static_cast<std::uint8_t>(next()), byte}, 2};
    return {{byte}, 1};
}

// splitmix64: small, fast, and the same on every platform, unlike the standard distributions.
std::uint64_t NoiseSource::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double NoiseSource::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

}  // namespace rq::sim
