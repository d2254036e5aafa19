#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "core/io/Clock.h"
#include "core/io/LineSettings.h"
#include "sim/LineNoise.h"
#include "sim/WorkingSet.h"

namespace rq::sim {

inline constexpr std::size_t kSimFlashSize = 512 * 256;

// What survives a power cycle: the flash, and the identity and working parameters the normal-mode
// firmware keeps.
struct DeviceMemory {
    std::array<std::uint8_t, kSimFlashSize> flash{};
    bool securitySet = false;
    std::string modelName = "RQA-4021";
    std::string serialNumber = "12345 ";
    std::uint8_t param03 = 0x03;
    std::uint8_t param04 = 0x04;
    std::uint8_t param06 = 0x06;
    WorkingSet working = deliveredWorkingSet();
};

// The device's end of the cable, as a firmware sees it while it handles a byte.
class DeviceLine {
  public:
    virtual ~DeviceLine() = default;
    virtual Micros now() const = 0;  // when the byte being handled arrived
    // Sends bytes to the computer; the first starts no earlier than `notBefore`.
    virtual void send(std::span<const std::uint8_t> bytes, Micros notBefore) = 0;
    void send(std::span<const std::uint8_t> bytes) { send(bytes, now()); }
    virtual void setLineSettings(const LineSettings& settings) = 0;  // the device's own UART
    virtual DeviceMemory& memory() = 0;
    virtual void powerOff() = 0;  // the device loses power from now on
};

// One of the device's two programs: normal mode or the boot firmware.
class Firmware {
  public:
    virtual ~Firmware() = default;
    // Starts from scratch and returns the line settings it listens at.
    virtual LineSettings powerOn(DeviceMemory& memory) = 0;
    virtual void receive(std::uint8_t byte, DeviceLine& line) = 0;
    // The computer's RTS and DTR outputs, whenever its port drives them (changed or not).
    virtual void hostLines(bool /*rts*/, bool /*dtr*/, Micros /*at*/) {}
    virtual bool cts(bool rts) const = 0;  // the computer's CTS input
    virtual bool dsr(bool dtr) const = 0;  // the computer's DSR input
};

enum class Led : std::uint8_t { Off, Green, Red };

// The simulated RQ system: front panel, two firmwares, and the line between the device and the
// computer, byte by byte in time. Safe to use from the window's thread (the front panel) and the
// wizard's thread (the port) at once. While the computer waits for an answer, the device has already
// taken the bytes that reach it before the answer is whole: the front panel worked meanwhile acts after
// them.
class SimDevice {
  public:
    SimDevice(Clock& clock, std::unique_ptr<Firmware> normal, std::unique_ptr<Firmware> boot);

    // Front panel.
    void setPower(bool on);
    void setFwSwitch(bool write);  // true: "W", false: "-"
    bool powered() const;
    bool fwSwitch() const;
    bool programmingMode() const;
    Led led() const;  // green in normal mode; green and red in turn in programming mode

    // Every byte takes its time on the line, unless the line is instant.
    void setInstantLine(bool instant);
    // A USB adapter at the computer's end holds what it receives until its buffer fills or its latency
    // timer runs out; 0 stands for a plain serial port.
    void setAdapterLatency(Micros latency);
    DeviceMemory memory() const;
    void setMemory(const DeviceMemory& memory);
    // Noise on the line in both directions, from now on; the same seed gives the same faults again.
    void setLineNoise(const LineNoise& noise);
    LineSettings deviceLineSettings() const;
    Clock& clock() const { return clock_; }

    // The computer's end, for SimPort.
    void hostWrite(std::span<const std::uint8_t> bytes, const LineSettings& hostSettings);
    std::vector<std::uint8_t> hostRead(std::size_t atLeast, Micros timeout, const LineSettings& hostSettings);
    void hostDiscardInput();
    void hostDiscardOutput();
    void hostSetLines(bool rts, bool dtr);
    bool hostCts(bool rts);
    bool hostDsr(bool dtr);
    Micros lineTime(std::size_t bytes, const LineSettings& settings) const;

  private:
    struct Transfer {
        Micros arrival;  // when the last bit has arrived
        std::uint8_t byte;
        LineSettings sentWith;  // a receiver at other settings sees garbage
    };
    class Line;

    void powerOnLocked();
    void powerOffLocked();
    void advanceLocked(Micros until);
    Micros runAheadLocked(std::size_t atLeast, Micros deadline);
    Firmware* runningLocked() const;
    Micros queueLocked(std::deque<Transfer>& line, std::span<const std::uint8_t> bytes, Micros start,
                       const LineSettings& settings);
    void passOnLocked(Micros now);
    Micros nextPassOnLocked() const;
    std::vector<std::uint8_t> takeInputLocked(const LineSettings& hostSettings);

    Clock& clock_;
    std::unique_ptr<Firmware> normal_;
    std::unique_ptr<Firmware> boot_;
    mutable std::mutex mutex_;
    bool powered_ = false;
    bool fwSwitch_ = false;
    bool programming_ = false;  // the mode chosen at power-on
    bool instantLine_ = false;
    LineNoise noise_;
    NoiseSource hostNoise_;    // the computer's bytes on their way to the device
    NoiseSource deviceNoise_;  // the device's bytes on their way to the computer
    Micros poweredAt_{0};
    DeviceMemory memory_;
    LineSettings deviceSettings_;
    std::deque<Transfer> toDevice_;
    std::deque<Transfer> toHost_;     // on the line or held in the adapter
    std::deque<Transfer> hostInput_;  // passed on to the computer, not read yet
    Micros adapterLatency_{0};
    Micros adapterPassedOn_{0};  // when the adapter last passed anything on
    Micros hostTxFree_{0};
    Micros deviceTxFree_{0};
};

}  // namespace rq::sim
