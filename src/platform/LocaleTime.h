#pragma once

#include <chrono>
#include <string>

namespace rq {

// Date and time in the user's locale, its short date and short time formats: "1/31/24 9:05 AM" in
// American English, "2024/01/31 9:05" in Japanese.
std::string localeTraceTime(std::chrono::system_clock::time_point time);

}  // namespace rq
