#pragma once

#include <chrono>
#include <functional>
#include <span>
#include <string>

#include "core/params/CommandRecord.h"

namespace rq {

enum class Direction : std::uint8_t { Request, Response };

// "PC->RQX::CMD[005]:FF FF FF FF FF 05 00 00 00 05" and CR LF; a response starts "PC<-RQX" and shows
// its status byte. A request's pad byte is not shown.
std::string traceLine(const CommandRecord& record, Direction direction);

// Date and time as the user's system writes them; the window and the runner give the system's own.
using TraceTimeFormat = std::function<std::string(std::chrono::system_clock::time_point time)>;

// A frame of the boot firmware's protocol in the same style: "PC->RQX::BOOT:01 01 00 FF 03" and CR LF,
// "PC<-RQX::BOOT:" for what the device sent. A long frame shows its first and last bytes and its length.
std::string bootTraceLine(std::span<const std::uint8_t> bytes, Direction direction);

// "2024/01/31 09:05:07" in local time, for a run that was given no format.
std::string fixedTraceTime(std::chrono::system_clock::time_point time);

// The entry the traffic log shows: date and time, the status word right-aligned in five characters,
// the line.
std::string traceEntry(const std::string& dateTime, const std::string& statusWord, const std::string& line);

}  // namespace rq
