#pragma once

#include <cstdint>

#include "core/params/CommandRecord.h"
#include "core/params/Payloads.h"

namespace rq {

// Appends a request to the batch and builds it; `count` is the batch counter of the calling step.
void QueueCommand(CommandQueue& queue, std::int32_t& count, std::uint8_t command, std::uint8_t readWrite,
                  const ParameterStore& store);

// The preamble, then Length and Data by the request builder of the record's command number.
void BuildRequest(CommandRecord& record, const ParameterStore& store);

// Hands an accepted response to the handler of its command number; true when the store took it, false
// when the handler left it (another length, say) or the number has none.
bool DispatchResponse(const CommandRecord& response, ResponseTarget& target);

}  // namespace rq
