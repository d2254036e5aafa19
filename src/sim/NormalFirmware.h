#pragma once

#include <string_view>

namespace rq::sim {

// The model name a device with the fault identity-nul carries: NUL bytes inside, eight in all.
inline constexpr std::string_view kNulModelName{
    "RQA\0"
    "40\0"
    "1",
    8};

}  // namespace rq::sim
