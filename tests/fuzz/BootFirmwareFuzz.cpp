// The simulated boot firmware's frame reader: whatever it is sent, it answers only with well-formed
// status frames.

#include "SimFirmwareLine.h"
#include "core/flash/FlashFrames.h"
#include "sim/Firmwares.h"
#include "sim/RqSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    for (const fuzz::Bytes& frame : fuzz::answersOf(*sim::makeBootFirmware({}), data, size)) {
        const bool wellFormed = frame.size() >= 5 && frame[0] == kStx && (frame[1] == 1 || frame[1] == 2) &&
                                frame.size() == frame[1] + 4u && frame.back() == kEtx;
        fuzz::require(wellFormed, "a status frame is STX, LEN 1 or 2, the statuses, SUM, ETX");
        fuzz::require(checkStatusFrame(frame).sumRight, "a status frame's SUM is right");
    }
    return 0;
}
