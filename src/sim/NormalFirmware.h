#pragma once

#include <string_view>

namespace rq::sim {

// The model name a device with the fault identity-nul carries: NUL bytes inside, eight in all.
inline constexpr std::string_view kNulModelName{
    "RQA\0"
    "40\0"
    "1",
    8};

// The identity a device with the fault identity-bytes carries: bytes that no text encoding keeps alike.
inline constexpr std::string_view kBytesModelName{"\x00RQ\x7F\x80\xA5\xFE\xFF", 8};
inline constexpr std::string_view kBytesSerialNumber{
    "\x01\x1F"
    "9\x81\xC3\x00",
    6};

}  // namespace rq::sim
