#pragma once

#include <cstdint>
#include <vector>

namespace rq::sim {

using Bytes = std::vector<std::uint8_t>;

// The boot firmware's reset and its acknowledgement, as they stand on the line.
const Bytes kReset = {0x01, 0x01, 0x00, 0xFF, 0x03};
const Bytes kAck = {0x02, 0x01, 0x06, 0xF9, 0x03};

}  // namespace rq::sim
