#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/SimPort.h"

namespace rq::sim {

// The panel as a trainee would read it: "power on, FW switch -, pilot LED green".
std::string describePanel(const SimDevice& device);

// The simulated RQ system at the end of a cable that carries data only, such as a pseudo-terminal:
// the computer's bytes go in as they arrive, the device's come out when asked for. The device always
// listens at the speed the computer's end holds.
//
// With no modem lines, the cable stands in for them when the computer's wake-up for the boot firmware
// arrives (a 00h byte after a quiet line, then another): it raises DTR and RTS on the computer's
// behalf, waits the settling time, and then hands the two bytes on. With the panel worked
// automatically, that wake-up also switches the device into programming mode, and a normal-mode frame
// (its preamble byte FFh where a boot firmware frame would start) switches it back.
class ModemlessCable {
  public:
    using Note = std::function<void(const std::string& what)>;  // what the panel did

    ModemlessCable(SimDevice& device, bool autoPanel, Note note);

    void fromComputer(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> toComputer();

  private:
    void forward(std::uint8_t byte);
    void wakeUp();
    void switchMode(bool programming);
    void followDevice();
    // Follows the boot firmware's frames the computer sends; true when `byte` starts none.
    bool betweenBootFrames(std::uint8_t byte);

    SimDevice& device_;
    SimPort port_;
    bool autoPanel_;
    Note note_;
    LineSettings settings_;
    std::vector<std::uint8_t> sent_;  // by the device, not yet handed to the computer
    Micros lastArrival_{-kQuiet};
    Micros lineFreeAt_{0};
    bool zeroHeld_ = false;  // a 00h that may start the wake-up
    bool bootLengthNext_ = false;
    std::size_t bootFrameLeft_ = 0;  // bytes of the boot frame the computer is sending

    static constexpr Micros kQuiet{50'000};
};

}  // namespace rq::sim
