#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/WorkingSet.h"

namespace rq::sim {

bool isWorkingCommand(std::uint8_t command);

// What the normal-mode firmware answers to a channel parameter request: the answer's data, or nullopt
// when it refuses the request (a length, channel, sub-index, index, mode or key it does not know). A
// write changes the set first and is answered like a read of what it wrote.
std::optional<std::vector<std::uint8_t>> serveWorkingCommand(WorkingSet& set, std::uint8_t command,
                                                             bool write, std::span<const std::uint8_t> data);

// The bytes of an answer of `size` bytes to the command that name a channel; none when it names none.
std::vector<std::size_t> channelPositions(std::uint8_t command, std::size_t size);

}  // namespace rq::sim
