#include "sim/Firmwares.h"

namespace rq::sim {
namespace {

// Placeholder until the boot firmware exists: listens, never answers.
class SilentBootFirmware final : public Firmware {
public:
    LineSettings powerOn(DeviceMemory&) override { return {9600, Parity::None, 8, StopBits::One}; }
    void receive(std::uint8_t, DeviceLine&) override {}
    bool cts(bool) const override { return true; }
    bool dsr(bool) const override { return false; }
};

}  // namespace

std::unique_ptr<Firmware> makeBootFirmware(const RqSystemOptions&) { return std::make_unique<SilentBootFirmware>(); }

}  // namespace rq::sim
