#include "sim/ModemlessCable.h"

#include <utility>

namespace rq::sim {
namespace {

constexpr std::uint8_t kWakeUpByte = 0x00;
constexpr std::uint8_t kPreamble = 0xFF;  // every normal-mode frame starts with it
constexpr std::uint8_t kSoh = 0x01;       // a boot firmware command frame
constexpr std::uint8_t kStx = 0x02;       // a boot firmware data frame
// The boot firmware takes the wake-up bytes only this long after RTS has come on.
constexpr Micros kSettle{150'000};

std::string ledText(const SimDevice& device) {
    if (!device.powered()) return "off";
    return device.programmingMode() ? "green and red in turn" : "green";
}

}  // namespace

std::string describePanel(const SimDevice& device) {
    return std::string("power ") + (device.powered() ? "on" : "off") + ", FW switch " +
           (device.fwSwitch() ? "W" : "-") + ", pilot LED " + ledText(device);
}

ModemlessCable::ModemlessCable(SimDevice& device, bool autoPanel, Note note)
    : device_(device), port_(device), autoPanel_(autoPanel), note_(std::move(note)) {
    followDevice();
    port_.open();
}

void ModemlessCable::fromComputer(std::span<const std::uint8_t> bytes) {
    const Micros now = device_.clock().now();
    const bool afterQuiet = now - lastArrival_ >= kQuiet;
    lastArrival_ = now;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t byte = bytes[i];
        const bool startsBurst = i == 0 && afterQuiet;
        if (zeroHeld_) {
            zeroHeld_ = false;
            if (byte == kWakeUpByte) {
                wakeUp();
                continue;
            }
            forward(kWakeUpByte);
        }
        if (startsBurst && byte == kWakeUpByte) {
            zeroHeld_ = true;
            continue;
        }
        const bool frameStart = betweenBootFrames(byte);
        if (frameStart && byte == kPreamble && autoPanel_ && device_.programmingMode()) switchMode(false);
        forward(byte);
    }
}

std::vector<std::uint8_t> ModemlessCable::toComputer() {
    followDevice();
    return std::exchange(sent_, {});
}

// One byte at a time, each after the one before has reached the device: a byte the device takes
// may change the speed it listens at.
void ModemlessCable::forward(std::uint8_t byte) {
    Clock& clock = device_.clock();
    clock.sleepUntil(lineFreeAt_);
    followDevice();
    port_.write(std::span(&byte, 1));
    lineFreeAt_ = clock.now() + device_.lineTime(1, settings_);
}

bool ModemlessCable::betweenBootFrames(std::uint8_t byte) {
    if (bootLengthNext_) {
        bootLengthNext_ = false;
        bootFrameLeft_ = (byte == 0 ? 256 : byte) + 2;  // then SUM and the end marker
        return false;
    }
    if (bootFrameLeft_ > 0) {
        --bootFrameLeft_;
        return false;
    }
    bootLengthNext_ = byte == kSoh || byte == kStx;
    return true;
}

void ModemlessCable::wakeUp() {
    if (autoPanel_ && !device_.programmingMode()) switchMode(true);
    // The computer's boot firmware frames start afresh.
    bootLengthNext_ = false;
    bootFrameLeft_ = 0;
    port_.setRts(false);
    port_.setDtr(false);
    port_.setDtr(true);
    port_.setRts(true);
    device_.clock().sleep(kSettle);
    forward(kWakeUpByte);
    forward(kWakeUpByte);
}

void ModemlessCable::switchMode(bool programming) {
    device_.setPower(false);
    device_.setFwSwitch(programming);
    device_.setPower(true);
    note_("auto panel: " + describePanel(device_));
}

void ModemlessCable::followDevice() {
    // Reading lets the device take what has reached it, which may change the speed it listens at.
    const std::vector<std::uint8_t> sent = port_.read(0, Micros(0));
    sent_.insert(sent_.end(), sent.begin(), sent.end());
    const LineSettings settings = device_.deviceLineSettings();
    if (settings == settings_ && port_.isOpen()) return;
    settings_ = settings;
    port_.setSettings(formatLineSettings(settings));
}

}  // namespace rq::sim
