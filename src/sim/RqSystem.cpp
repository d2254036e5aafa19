#include "sim/RqSystem.h"

#include <algorithm>

#include "sim/Firmwares.h"
#include "sim/NormalFirmware.h"

namespace rq::sim {

std::array<std::uint8_t, 8> firmwareTag(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    return {'R', 'Q', 'V', 'E', 'R', a, b, c};
}

std::array<std::uint8_t, 2> flashFirmwareVersion(const DeviceMemory& memory) {
    static constexpr std::array<std::uint8_t, 5> kMark = {'R', 'Q', 'V', 'E', 'R'};
    if (!std::equal(kMark.begin(), kMark.end(), memory.flash.begin())) return {0, 0};
    return {static_cast<std::uint8_t>(memory.flash[5] * 10 + memory.flash[6]), memory.flash[7]};
}

std::unique_ptr<SimDevice> makeRqSystem(Clock& clock, const RqSystemOptions& options) {
    auto device = std::make_unique<SimDevice>(clock, makeNormalFirmware(options), makeBootFirmware(options));
    device->setInstantLine(options.instantLine);
    device->setAdapterLatency(
        Millis(options.faults.number("latency").value_or(options.adapterLatency.count())));
    DeviceMemory memory;
    memory.flash.fill(0xFF);
    const auto tag = firmwareTag(1, 2, 0);
    std::copy(tag.begin(), tag.end(), memory.flash.begin());
    if (options.faults.has("identity-nul")) memory.modelName = kNulModelName;
    if (options.faults.has("identity-bytes")) {
        memory.modelName = kBytesModelName;
        memory.serialNumber = kBytesSerialNumber;
    }
    device->setMemory(memory);
    const auto rate = options.faults.rate("noise");
    device->setLineNoise(rate ? spreadNoise(*rate, options.noise.seed) : options.noise);
    return device;
}

}  // namespace rq::sim
