#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rq::sim {

struct GeneratedFirmware {
    std::array<std::uint8_t, 3> version{1, 3, 0};
    std::size_t dataLength = 512 * 256;  // bytes after the 48-byte header
};

// A valid firmware file: the header text, the version bytes at 33, 35 and 37, then deterministic data
// that starts with the version tag the simulated device reads.
std::vector<std::uint8_t> generateFirmware(const GeneratedFirmware& wanted);

// Writes it; false when the file cannot be written.
bool writeFirmwareFile(const std::string& path, const GeneratedFirmware& wanted);

}  // namespace rq::sim
