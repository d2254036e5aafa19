#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/io/Clock.h"

namespace rq {

// Multi-line texts are lines joined by CR LF, with no line break after the last line.
inline constexpr std::string_view kNewLine = "\r\n";

std::string joinLines(std::initializer_list<std::string_view> lines);

// A device's character field for a person: printable ASCII as it is, every other byte as \xNN.
std::string printableBytes(std::string_view bytes);

// A duration as a person reads it: "2:41", "1:02:03".
std::string clockTime(Micros duration);

// "-" for a value a table has none of.
std::string orDash(const std::string& text);

}  // namespace rq
