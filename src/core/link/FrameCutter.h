#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/params/CommandRecord.h"

namespace rq {

// Cuts the received byte stream into response frames. A frame is taken to start at the first byte
// in the buffer; bytes beyond a complete frame are dropped with the buffer.
class FrameCutter {
  public:
    enum class Result : std::uint8_t {
        Incomplete,
        Complete,  // `response` holds the frame
        Oversize,  // the length byte announced more than 245 data bytes: the frame is dropped
    };

    Result feed(std::span<const std::uint8_t> bytes, CommandRecord& response);
    // How many more bytes the frame under way needs at least.
    std::size_t bytesWanted() const;
    // Part of a frame has come, and the rest is awaited.
    bool holdsPartialFrame() const { return !ReceiveBuffer.empty() && !droppingOversize_; }
    // Starts afresh; until then an oversize frame's remaining bytes are dropped.
    void reset();

  private:
    std::size_t frameLength() const;
    void decode(CommandRecord& response) const;

    std::vector<std::uint8_t> ReceiveBuffer;
    bool droppingOversize_ = false;
};

}  // namespace rq
