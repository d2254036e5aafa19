// The simulated device's reader of normal-mode requests: whatever it is sent, it answers only with
// well-formed frames.

#include "SimFirmwareLine.h"
#include "sim/NormalFirmware.h"
#include "sim/RqSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    for (const fuzz::Bytes& frame : fuzz::answersOf(*sim::makeNormalFirmware({}), data, size)) {
        fuzz::require(frame.size() >= 10 && frame.size() == frame[8] + 10u,
                      "an answer is its length + 10 bytes");
        std::uint8_t sum = 0;
        for (std::size_t i = 5; i < frame.size(); ++i) sum ^= frame[i];
        fuzz::require(sum == 0, "an answer's checksum is right");
    }
    return 0;
}
