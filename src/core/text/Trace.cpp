#include "core/text/Trace.h"

#include <array>
#include <ctime>
#include <mutex>

namespace rq {
namespace {

constexpr std::size_t kStatusWidth = 5;
// A data frame is cut to its head and tail: 260 bytes in full would drown the log.
constexpr std::size_t kLongestWhole = 16;
constexpr std::size_t kHeadBytes = 8;
constexpr std::size_t kTailBytes = 4;

std::string threeDigits(std::uint8_t number) {
    std::string digits = std::to_string(number);
    return std::string(3 - digits.size(), '0') + digits;
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

std::string fixedTraceTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    {
        // localtime shares its result between callers.
        static std::mutex shared;
        const std::lock_guard lock(shared);
        local = *std::localtime(&seconds);
    }
    std::array<char, 32> text{};
    const std::size_t length = std::strftime(text.data(), text.size(), "%Y/%m/%d %H:%M:%S", &local);
    return std::string(text.data(), length);
}

std::string bootTraceLine(std::span<const std::uint8_t> bytes, Direction direction) {
    std::string line = direction == Direction::Request ? "PC->RQX::BOOT:" : "PC<-RQX::BOOT:";
    const bool cut = bytes.size() > kLongestWhole;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (cut && i == kHeadBytes) {
            line += ".. ";
            i = bytes.size() - kTailBytes;
        }
        line += HexByte(bytes[i]) + " ";
    }
    if (!bytes.empty()) line.pop_back();  // the blank after the last byte
    if (cut) line += " (" + std::to_string(bytes.size()) + " bytes)";
    return line + "\r\n";
}

std::string traceEntry(const std::string& dateTime, const std::string& statusWord, const std::string& line) {
    const std::string padding(statusWord.size() < kStatusWidth ? kStatusWidth - statusWord.size() : 0, ' ');
    return dateTime + " " + padding + statusWord + " " + line;
}

}  // namespace rq
