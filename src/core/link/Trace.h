#pragma once

#include <ctime>
#include <span>
#include <string>

#include "core/link/CommandRecord.h"

namespace rq {

enum class Direction : std::uint8_t { Request, Response };

// "PC->RQX::CMD[005]:FF FF FF FF FF 05 00 00 00 05" and CR LF; a response starts "PC<-RQX" and shows
// its status byte. A request's pad byte is not shown.
std::string traceLine(const CommandRecord& record, Direction direction);

// A frame of the boot firmware's protocol in the same style: "PC->RQX::BOOT:01 01 00 FF 03" and CR LF,
// "PC<-RQX::BOOT:" for what the device sent. A long frame shows its first and last bytes and its length.
std::string bootTraceLine(std::span<const std::uint8_t> bytes, Direction direction);

// The entry the traffic log shows: date, time, the status word right-aligned in five characters, the
// line.
std::string traceEntry(const std::tm& localTime, const std::string& statusWord, const std::string& line);

std::tm localTimeNow();

}  // namespace rq
