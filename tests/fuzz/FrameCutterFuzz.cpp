// The frame cutter and decoder, fed the input in pieces of the input's choosing.

#include "FuzzSupport.h"
#include "core/link/FrameCutter.h"
#include "core/text/Trace.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    FuzzedDataProvider input(data, size);
    FrameCutter cutter;
    CommandRecord response;
    while (input.remaining_bytes() > 0) {
        if (input.ConsumeIntegralInRange(0, 15) == 0) cutter.reset();  // a new attempt
        const auto piece = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 300));
        const std::size_t wanted = cutter.bytesWanted();
        fuzz::require(wanted >= 1 && wanted <= 255, "the cutter asks for what one frame can still need");
        if (cutter.feed(piece, response) != FrameCutter::Result::Complete) continue;
        fuzz::require(response.Length <= 245, "a frame holds at most 245 data bytes");
        fuzz::require(response.Length == 0 || response.Data.size() == response.Length,
                      "Data holds what Length announces");
        IsChecksumValid(response);
        traceLine(response, Direction::Response);
    }
    return 0;
}
