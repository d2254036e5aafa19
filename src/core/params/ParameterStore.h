#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace rq {

// The device values of one run, held exactly as they travel: one character per device byte.
struct ParameterStore {
    // Identity group: backed up in step 2, written back in step 7.
    std::string ModelName;     // 8 characters
    std::string SerialNumber;  // 6 characters
    std::uint8_t Param03Value = 0;
    std::uint8_t Param04Value = 0;
    std::array<std::uint8_t, 2> FirmwareVersion{};
    std::uint8_t Param06Value = 0;

    // Access mode.
    std::uint8_t AccessModeRequest = 0;
    std::string AccessCode;
    bool KeepPortOpen = false;
    std::uint8_t AccessModeCoded = 0;
};

}  // namespace rq
