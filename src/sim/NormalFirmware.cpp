#include "sim/Firmwares.h"

namespace rq::sim {
namespace {

// Placeholder until the normal-mode firmware exists: listens, never answers.
class SilentNormalFirmware final : public Firmware {
public:
    LineSettings powerOn(DeviceMemory&) override { return {307200, Parity::Odd, 8, StopBits::One}; }
    void receive(std::uint8_t, DeviceLine&) override {}
    bool cts(bool rts) const override { return rts; }
    bool dsr(bool) const override { return false; }
};

}  // namespace

std::unique_ptr<Firmware> makeNormalFirmware(const RqSystemOptions&) { return std::make_unique<SilentNormalFirmware>(); }

}  // namespace rq::sim
