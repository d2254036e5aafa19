#include "core/flash/FlashFrames.h"

#include <array>
#include <numeric>

namespace rq {
namespace {

// Start marker, LEN, the payload, SUM over LEN and payload, end marker. A payload of 256 bytes has
// LEN 00h.
std::vector<std::uint8_t> frame(std::uint8_t start, std::span<const std::uint8_t> payload, std::uint8_t end) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(payload.size() + 4);
    bytes.push_back(start);
    bytes.push_back(static_cast<std::uint8_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    bytes.push_back(frameChecksum(std::span(bytes).subspan(1)));
    bytes.push_back(end);
    return bytes;
}

// The address range of the whole flash, most significant byte first.
constexpr std::array<std::uint8_t, 6> kWholeFlash = {0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF};

}  // namespace

std::uint8_t frameChecksum(std::span<const std::uint8_t> bytes) {
    const unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    return static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
}

std::vector<std::uint8_t> commandFrame(FlashCommand command, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> payload = {static_cast<std::uint8_t>(command)};
    payload.insert(payload.end(), data.begin(), data.end());
    return frame(kSoh, payload, kEtx);
}

std::vector<std::uint8_t> dataFrame(const ImageBlock& block, bool last) {
    return frame(kStx, block, last ? kEtx : kEtb);
}

std::vector<std::uint8_t> securityDataFrame() {
    static constexpr std::array<std::uint8_t, 2> kData = {0xF7, 0x00};
    return frame(kStx, kData, kEtx);
}

std::vector<std::uint8_t> oscillationFrequencyFrame() {
    static constexpr std::array<std::uint8_t, 4> kData = {0x04, 0x09, 0x01, 0x04};
    return commandFrame(FlashCommand::OscillationFrequencySet, kData);
}

std::vector<std::uint8_t> programmingFrame() {
    return commandFrame(FlashCommand::Programming, kWholeFlash);
}

std::vector<std::uint8_t> verifyFrame() {
    return commandFrame(FlashCommand::Verify, kWholeFlash);
}

std::vector<std::uint8_t> securitySetFrame() {
    static constexpr std::array<std::uint8_t, 2> kData = {0x00, 0x00};
    return commandFrame(FlashCommand::SecuritySet, kData);
}

std::optional<std::vector<std::uint8_t>> baudRateFrame(std::uint8_t speedIndex) {
    if (speedIndex >= kProgrammingBaudRates.size()) return std::nullopt;
    const std::array<std::uint8_t, 1> code = {static_cast<std::uint8_t>(speedIndex + 3)};
    return commandFrame(FlashCommand::BaudRateSet, code);
}

StatusFrame checkStatusFrame(std::span<const std::uint8_t> frame) {
    StatusFrame status;
    if (frame.size() < 3) return status;
    status.st1 = frame[2];
    if (frame.size() >= kLongStatusSize) status.st2 = frame[3];
    const std::size_t sumAt = std::size_t{frame[1]} + 2;
    if (sumAt >= frame.size()) return status;
    status.sumRight = frameChecksum(frame.subspan(1, sumAt - 1)) == frame[sumAt];
    return status;
}

namespace {

// A failing status byte of 00h cannot be its own result code, which would read as success.
std::uint8_t failingStatus(std::uint8_t status) {
    return status == 0 ? kResultOtherFailure : status;
}

}  // namespace

std::uint8_t judgeStatus(const StatusFrame& status, bool withSt2) {
    if (!status.sumRight) return kResultWrongSum;
    if (status.st1 != kStatusAck) return failingStatus(status.st1);
    if (withSt2 && status.st2 != kStatusAck) return failingStatus(status.st2);
    return 0;
}

}  // namespace rq
