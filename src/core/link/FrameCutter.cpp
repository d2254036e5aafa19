#include "core/link/FrameCutter.h"

#include <algorithm>

namespace rq {
namespace {

constexpr std::size_t kLengthOffset = 8;
constexpr std::size_t kHeaderSize = 9;
constexpr std::size_t kFrameOverhead = 10;  // header and checksum
// The frame length is a byte on the device's side too: 245 + 10 = 255.
constexpr std::uint8_t kMaxResponseData = 245;

}  // namespace

FrameCutter::Result FrameCutter::feed(std::span<const std::uint8_t> bytes, CommandRecord& response) {
    if (droppingOversize_) return Result::Incomplete;
    ReceiveBuffer.insert(ReceiveBuffer.end(), bytes.begin(), bytes.end());
    if (ReceiveBuffer.size() < kHeaderSize) return Result::Incomplete;
    if (ReceiveBuffer[kLengthOffset] > kMaxResponseData) {
        reset();
        droppingOversize_ = true;
        return Result::Oversize;
    }
    if (ReceiveBuffer.size() < frameLength()) return Result::Incomplete;
    decode(response);
    reset();
    return Result::Complete;
}

std::size_t FrameCutter::bytesWanted() const {
    const std::size_t frame = frameLength();
    return frame > ReceiveBuffer.size() ? frame - ReceiveBuffer.size() : 1;
}

void FrameCutter::reset() {
    ReceiveBuffer.clear();
    droppingOversize_ = false;
}

std::size_t FrameCutter::frameLength() const {
    if (ReceiveBuffer.size() < kHeaderSize) return kHeaderSize;
    return ReceiveBuffer[kLengthOffset] + kFrameOverhead;
}

void FrameCutter::decode(CommandRecord& response) const {
    std::copy_n(ReceiveBuffer.begin(), response.Preamble.size(), response.Preamble.begin());
    response.Command = ReceiveBuffer[5];
    response.Status = ReceiveBuffer[6];
    response.ReadWrite = ReceiveBuffer[7];
    response.Length = ReceiveBuffer[kLengthOffset];
    const auto data = ReceiveBuffer.begin() + kHeaderSize;
    if (response.Length != 0) response.Data.assign(data, data + response.Length);
    response.Checksum = data[response.Length];
}

}  // namespace rq
