#include "core/link/Trace.h"

#include <array>
#include <chrono>

namespace rq {
namespace {

constexpr std::size_t kStatusWidth = 5;

std::string threeDigits(std::uint8_t number) {
    std::string digits = std::to_string(number);
    return std::string(3 - digits.size(), '0') + digits;
}

std::string formatted(const std::tm& time, const char* format) {
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), format, &time);
    return std::string(text.data(), length);
}

}  // namespace

std::string traceLine(const CommandRecord& record, Direction direction) {
    const bool request = direction == Direction::Request;
    std::string line = request ? "PC->RQX::CMD[" : "PC<-RQX::CMD[";
    line += threeDigits(record.Command) + "]:";
    for (const std::uint8_t byte : record.Preamble) line += HexByte(byte) + " ";
    line += HexByte(record.Command) + " ";
    line += request ? "00 " : HexByte(record.Status) + " ";
    line += HexByte(record.ReadWrite) + " " + HexByte(record.Length) + " ";
    for (const std::uint8_t byte : payload(record)) line += HexByte(byte) + " ";
    return line + HexByte(record.Checksum) + "\r\n";
}

std::string traceEntry(const std::tm& localTime, const std::string& statusWord, const std::string& line) {
    const std::string padding(statusWord.size() < kStatusWidth ? kStatusWidth - statusWord.size() : 0, ' ');
    return formatted(localTime, "%Y/%m/%d %H:%M:%S") + " " + padding + statusWord + " " + line;
}

std::tm localTimeNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    // Only the wizard thread formats trace times, so the shared result of localtime is safe here.
    return *std::localtime(&now);
}

}  // namespace rq
