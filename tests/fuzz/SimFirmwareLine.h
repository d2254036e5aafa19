#pragma once

#include "FuzzSupport.h"
#include "sim/Firmwares.h"

namespace rq::fuzz {

// The device's end of the cable as a simulated firmware sees it: keeps what the firmware sends.
class RecordingLine final : public sim::DeviceLine {
  public:
    std::vector<Bytes> sent;
    Micros at{0};

    Micros now() const override { return at; }
    void send(std::span<const std::uint8_t> bytes, Micros) override {
        sent.emplace_back(bytes.begin(), bytes.end());
    }
    void setLineSettings(const LineSettings&) override {}
    sim::DeviceMemory& memory() override { return memory_; }
    void powerOff() override {}

  private:
    sim::DeviceMemory memory_;
};

// Powers the firmware on and feeds it the input in bursts of the input's length, a pause between
// them; returns what it sent back.
inline std::vector<Bytes> answersOf(sim::Firmware& firmware, const std::uint8_t* data, std::size_t size) {
    constexpr Micros kByteTime{36};
    constexpr Micros kPause{10'000};
    FuzzedDataProvider input(data, size);
    RecordingLine line;
    firmware.powerOn(line.memory());
    while (input.remaining_bytes() > 0) {
        for (const std::uint8_t byte :
             input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 300))) {
            line.at += kByteTime;
            firmware.receive(byte, line);
        }
        line.at += kPause;
    }
    return line.sent;
}

}  // namespace rq::fuzz
