#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rq {

enum class Parity : std::uint8_t { Even, None, Odd, Space, Mark };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };

// A line settings text such as "9600,N,8,1", taken apart. Parsing accepts what the text can say
// (data bits 4 to 8, stop bits 1, 1.5 or 2); whether a port can do it is the port's business.
struct LineSettings {
    std::uint32_t baud = 9600;
    Parity parity = Parity::None;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

std::optional<LineSettings> parseLineSettings(std::string_view text);
std::string formatLineSettings(const LineSettings& settings);

// Bits one character occupies on the line: start, data, parity, stop (1.5 counts as 2).
int bitsPerCharacter(const LineSettings& settings);

}  // namespace rq
