#include "core/params/CommandRecord.h"

#include <algorithm>

namespace rq {
namespace {

constexpr std::size_t kHeaderSize = 9;  // preamble, command, status, read/write, length

}  // namespace

std::span<const std::uint8_t> payload(const CommandRecord& record) {
    return std::span(record.Data).first(std::min<std::size_t>(record.Length, record.Data.size()));
}

std::uint8_t CalcChecksum(const CommandRecord& record) {
    std::uint8_t sum = record.Command ^ record.Status ^ record.ReadWrite ^ record.Length;
    for (const std::uint8_t byte : payload(record)) sum ^= byte;
    return sum;
}

bool IsChecksumValid(const CommandRecord& record) {
    return CalcChecksum(record) == record.Checksum;
}

std::string HexByte(std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::vector<std::uint8_t> encodeRequest(const CommandRecord& record) {
    // Zero-filled, so the status position, data bytes a short Data lacks and the pad byte go out as 0.
    std::vector<std::uint8_t> bytes(record.Length + kHeaderSize + 2, 0);
    std::copy(record.Preamble.begin(), record.Preamble.end(), bytes.begin());
    bytes[5] = record.Command;
    bytes[7] = record.ReadWrite;
    bytes[8] = record.Length;
    const auto data = payload(record);
    std::copy(data.begin(), data.end(), bytes.begin() + kHeaderSize);
    bytes[kHeaderSize + record.Length] = record.Checksum;
    return bytes;
}

}  // namespace rq
