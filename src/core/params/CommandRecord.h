#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace rq {

inline constexpr std::uint8_t kRead = 0;
inline constexpr std::uint8_t kWrite = 1;

// One normal-mode frame in memory, request or response.
struct CommandRecord {
    std::array<std::uint8_t, 5> Preamble{};
    std::uint8_t Command = 0;
    std::uint8_t Status = 0;
    std::uint8_t ReadWrite = kRead;
    std::uint8_t Length = 0;
    std::vector<std::uint8_t> Data;
    std::uint8_t Checksum = 0;
};

using CommandQueue = std::vector<CommandRecord>;

// The data bytes that Length announces and Data holds. A response with Length 0 keeps the Data of the
// one before, so everything that reads a payload goes through here.
std::span<const std::uint8_t> payload(const CommandRecord& record);

std::uint8_t CalcChecksum(const CommandRecord& record);
bool IsChecksumValid(const CommandRecord& record);

// A byte as two upper-case hexadecimal digits.
std::string HexByte(std::uint8_t byte);

// The request as it goes on the wire: Length + 11 bytes, the last one a 0x00 pad.
std::vector<std::uint8_t> encodeRequest(const CommandRecord& record);

}  // namespace rq
