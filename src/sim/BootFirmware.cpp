#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/Firmwares.h"

namespace rq::sim {
namespace {

// The device's own knowledge of its programming protocol, kept apart from the computer's codecs.
constexpr std::uint8_t kSoh = 0x01;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kEtb = 0x17;

constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kParameterError = 0x05;
constexpr std::uint8_t kChecksumError = 0x07;
constexpr std::uint8_t kVerifyError = 0x0F;
constexpr std::uint8_t kNack = 0x15;

constexpr std::uint8_t kReset = 0x00;
constexpr std::uint8_t kOscillationFrequencySet = 0x90;
constexpr std::uint8_t kBaudRateSet = 0x9A;
constexpr std::uint8_t kChipErase = 0x20;
constexpr std::uint8_t kProgramming = 0x40;
constexpr std::uint8_t kVerify = 0x13;
constexpr std::uint8_t kSecuritySet = 0xA0;

constexpr std::size_t kBlock = 256;
constexpr std::size_t kLongestFrame = kBlock + 4;
constexpr LineSettings kPowerOnSettings{9600, Parity::None, 8, StopBits::One};

// Baud-rate codes 3 to 8.
constexpr std::array<std::uint32_t, 6> kSpeeds = {9600, 19200, 31250, 38400, 76800, 153600};
constexpr std::uint8_t kFirstSpeedCode = 3;

std::uint8_t sumOf(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (const std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint8_t>(sum);
}

struct Frame {
    std::uint8_t start;
    std::span<const std::uint8_t> payload;  // COM and its data, or the data of a data frame
    std::uint8_t end;
    bool sumRight;
};

// Cuts the received bytes into frames. Anything before SOH or STX is dropped, and a frame whose end
// marker is wrong is given up in favour of the next SOH or STX inside it, so garbage never sticks.
class FrameReader {
  public:
    void push(std::uint8_t byte) {
        dropTaken();
        if (size_ == buffer_.size()) dropUntilStart(1);
        buffer_[size_++] = byte;
    }

    // The next whole frame, valid until the next call of either method.
    std::optional<Frame> next() {
        dropTaken();
        while (size_ > 0) {
            if (!isStart(buffer_[0])) {
                dropUntilStart(1);
                continue;
            }
            if (size_ < 2) return std::nullopt;
            const std::size_t payloadSize = buffer_[1] == 0 ? kBlock : buffer_[1];
            const std::size_t length = payloadSize + 4;
            if (size_ < length) return std::nullopt;
            const std::uint8_t end = buffer_[length - 1];
            if (!endFits(buffer_[0], end)) {
                dropUntilStart(1);
                continue;
            }
            taken_ = length;
            const auto bytes = std::span(buffer_).first(length);
            return Frame{bytes[0], bytes.subspan(2, payloadSize), end,
                         sumOf(bytes.subspan(1, length - 2)) == 0};
        }
        return std::nullopt;
    }

    void clear() { size_ = taken_ = 0; }

  private:
    static bool isStart(std::uint8_t byte) { return byte == kSoh || byte == kStx; }
    static bool endFits(std::uint8_t start, std::uint8_t end) {
        return end == kEtx || (start == kStx && end == kEtb);
    }

    void dropTaken() {
        drop(taken_);
        taken_ = 0;
    }
    void dropUntilStart(std::size_t from) {
        std::size_t at = from;
        while (at < size_ && !isStart(buffer_[at])) ++at;
        drop(at);
    }
    void drop(std::size_t count) {
        std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(count),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(size_), buffer_.begin());
        size_ -= count;
    }

    std::array<std::uint8_t, kLongestFrame> buffer_{};
    std::size_t size_ = 0;
    std::size_t taken_ = 0;
};

// The boot firmware listens for frames only once woken: DTR on, then RTS on, and at least 150 ms later
// two 00h bytes. Until then every byte is taken as part of the wake-up; one out of place spoils it, and
// the lines must come on again in their order.
class WakeUp {
  public:
    void reset() { *this = WakeUp(); }
    bool awake() const { return zeros_ == kZeros; }

    void lines(bool rts, bool dtr, Micros at) {
        if (awake() || (rts == rts_ && dtr == dtr_)) return;
        // Only RTS coming on while DTR stays on starts the wait; every other change ends it.
        const bool rtsAfterDtr = rts && !rts_ && dtr && dtr_;
        rtsOnAt_ = rtsAfterDtr ? std::optional(at) : std::nullopt;
        zeros_ = 0;
        rts_ = rts;
        dtr_ = dtr;
    }

    void take(std::uint8_t byte, Micros at) {
        if (rtsOnAt_ && byte == 0x00 && at - *rtsOnAt_ >= kSettle) {
            ++zeros_;
        } else {
            rtsOnAt_.reset();
            zeros_ = 0;
        }
    }

  private:
    static constexpr Micros kSettle{150'000};
    static constexpr int kZeros = 2;

    bool rts_ = false;
    bool dtr_ = false;
    std::optional<Micros> rtsOnAt_;  // RTS came on after DTR; the lines have stayed on since
    int zeros_ = 0;
};

// Where a bad-sum fault strikes: the first status of that stage.
enum class Stage : std::uint8_t { None, Reset, Ofs, BaudRate, Erase, Write, Security, Verify };

Stage stageNamed(const std::optional<std::string>& name) {
    static constexpr std::array<std::pair<std::string_view, Stage>, 7> kNames = {{
        {"reset", Stage::Reset},
        {"ofs", Stage::Ofs},
        {"baudrate", Stage::BaudRate},
        {"erase", Stage::Erase},
        {"write", Stage::Write},
        {"security", Stage::Security},
        {"verify", Stage::Verify},
    }};
    if (!name) return Stage::None;
    // A number names a normal-mode response instead.
    for (const auto& [text, stage] : kNames) {
        if (*name == text) return stage;
    }
    return Stage::None;
}

struct BlockFault {
    long block = -1;
    std::uint8_t status = kAck;
};

BlockFault blockFault(const Faults& faults, std::string_view name) {
    const auto value = faults.numberAndHexByte(name);
    return value ? BlockFault{value->first, value->second} : BlockFault{};
}

// The boot firmware of the device's microcontroller.
class BootFirmware final : public Firmware {
  public:
    BootFirmware(const Faults& faults, const DeviceTimings& timings)
        : timings_(timings),
          resetNacks_(faults.number("reset-nack").value_or(0)),
          resetSilent_(faults.has("reset-silent")),
          dsrHeld_(faults.has("dsr-held")),
          ofsStatus_(faults.hexByte("ofs-status").value_or(kAck)),
          eraseStatus_(faults.hexByte("erase-status").value_or(kAck)),
          writeCommandStatus_(faults.hexByte("write-cmd-status").value_or(kAck)),
          writeBlockSt2_(blockFault(faults, "write-block-st2")),
          finalWriteSilent_(faults.has("final-write-silent")),
          securityStatus_(faults.hexByte("security-status").value_or(kAck)),
          securitySecondSilent_(faults.has("security-second-silent")),
          verifyMismatchBlock_(faults.number("verify-mismatch").value_or(-1)),
          verifySt2_(blockFault(faults, "verify-st2")),
          badSumStage_(stageNamed(faults.text("bad-sum"))),
          powerOffBlock_(faults.number("power-off-at-block").value_or(-1)) {}

    LineSettings powerOn(DeviceMemory&) override {
        reader_.clear();
        wakeUp_.reset();
        awaiting_ = Awaiting::Command;
        speedSwitched_ = false;
        return kPowerOnSettings;
    }

    void receive(std::uint8_t byte, DeviceLine& line) override {
        if (!wakeUp_.awake()) return wakeUp_.take(byte, line.now());
        reader_.push(byte);
        while (const auto frame = reader_.next()) handle(*frame, line);
    }

    void hostLines(bool rts, bool dtr, Micros at) override { wakeUp_.lines(rts, dtr, at); }
    bool cts(bool) const override { return true; }
    bool dsr(bool) const override { return dsrHeld_; }

  private:
    enum class Awaiting : std::uint8_t { Command, WriteData, VerifyData, SecurityData };

    void handle(const Frame& frame, DeviceLine& line) {
        if (frame.start == kSoh) {
            awaiting_ = Awaiting::Command;  // a command ends any transfer
            if (!frame.sumRight) return sendStatus(line, timings_.reply, {kChecksumError}, Stage::None);
            return handleCommand(frame.payload, line);
        }
        switch (awaiting_) {
            case Awaiting::WriteData:
                return handleWriteData(frame, line);
            case Awaiting::VerifyData:
                return handleVerifyData(frame, line);
            case Awaiting::SecurityData:
                return handleSecurityData(frame, line);
            case Awaiting::Command:
                return;  // data nobody asked for
        }
    }

    void handleCommand(std::span<const std::uint8_t> payload, DeviceLine& line) {
        switch (payload[0]) {
            case kReset:
                return handleReset(line);
            case kOscillationFrequencySet:
                return sendStatus(line, timings_.reply, {payload.size() == 5 ? ofsStatus_ : kParameterError},
                                  Stage::Ofs);
            case kBaudRateSet:
                return handleBaudRate(payload, line);
            case kChipErase:
                return handleErase(line);
            case kProgramming:
                return startTransfer(payload, Awaiting::WriteData, writeCommandStatus_, Stage::Write, line);
            case kVerify:
                return startTransfer(payload, Awaiting::VerifyData, kAck, Stage::Verify, line);
            case kSecuritySet:
                return handleSecuritySet(payload, line);
            default:
                return sendStatus(line, timings_.reply, {kParameterError}, Stage::None);
        }
    }

    void handleReset(DeviceLine& line) {
        if (resetSilent_) return;
        const Stage stage = speedSwitched_ ? Stage::BaudRate : Stage::Reset;
        if (resetNacks_ > 0) {
            --resetNacks_;
            return sendStatus(line, timings_.reply, {kNack}, stage);
        }
        sendStatus(line, timings_.reply, {kAck}, stage);
    }

    // Switches the device's own UART; the command has no answer unless the code is unknown.
    void handleBaudRate(std::span<const std::uint8_t> payload, DeviceLine& line) {
        const int index = payload.size() == 2 ? payload[1] - kFirstSpeedCode : -1;
        if (index < 0 || index >= static_cast<int>(kSpeeds.size())) {
            return sendStatus(line, timings_.reply, {kParameterError}, Stage::None);
        }
        line.setLineSettings({kSpeeds[static_cast<std::size_t>(index)], Parity::None, 8, StopBits::One});
        speedSwitched_ = true;
    }

    void handleErase(DeviceLine& line) {
        if (eraseStatus_ == kAck) {
            DeviceMemory& memory = line.memory();
            memory.flash.fill(0xFF);
            memory.securitySet = false;
        }
        sendStatus(line, timings_.chipErase, {eraseStatus_}, Stage::Erase);
    }

    void handleSecuritySet(std::span<const std::uint8_t> payload, DeviceLine& line) {
        const std::uint8_t status = payload.size() == 3 ? securityStatus_ : kParameterError;
        if (status == kAck) awaiting_ = Awaiting::SecurityData;
        sendStatus(line, timings_.reply, {status}, Stage::Security);
    }

    void handleSecurityData(const Frame& frame, DeviceLine& line) {
        awaiting_ = Awaiting::Command;
        const std::uint8_t status = dataStatus(frame, 2);
        sendStatus(line, timings_.reply, {status}, Stage::None);
        if (status != kAck) return;
        line.memory().securitySet = true;
        if (!securitySecondSilent_) sendStatus(line, timings_.securitySet, {kAck}, Stage::None);
    }

    // The programming and verify commands: the address range of the data frames that follow.
    void startTransfer(std::span<const std::uint8_t> payload, Awaiting transfer, std::uint8_t status,
                       Stage stage, DeviceLine& line) {
        const auto range = addressRange(payload);
        if (!range) return sendStatus(line, timings_.reply, {kParameterError}, stage);
        if (status == kAck) {
            awaiting_ = transfer;
            nextAddress_ = range->first;
            endAddress_ = range->second;
        }
        sendStatus(line, timings_.reply, {status}, stage);
    }

    void handleWriteData(const Frame& frame, DeviceLine& line) {
        const std::uint8_t status = dataStatus(frame, kBlock);
        if (status != kAck) return sendStatus(line, timings_.reply, {status, status}, Stage::None);
        const long block = static_cast<long>(nextAddress_ / kBlock);
        DeviceMemory& memory = line.memory();
        const auto target = memory.flash.begin() + static_cast<std::ptrdiff_t>(nextAddress_);
        if (block == powerOffBlock_) {
            std::copy_n(frame.payload.begin(), kBlock / 2, target);
            return line.powerOff();
        }
        std::copy(frame.payload.begin(), frame.payload.end(), target);
        if (block == verifyMismatchBlock_) *target = static_cast<std::uint8_t>(~*target);
        const Micros written = line.now() + timings_.blockWrite;
        line.send(statusFrame({kAck, block == writeBlockSt2_.block ? writeBlockSt2_.status : kAck}, false),
                  written);
        if (!advance(frame)) return;
        if (!finalWriteSilent_) line.send(statusFrame({kAck}, false), written + timings_.reply);
    }

    void handleVerifyData(const Frame& frame, DeviceLine& line) {
        const std::uint8_t status = dataStatus(frame, kBlock);
        if (status != kAck) return sendStatus(line, timings_.reply, {status, status}, Stage::None);
        const long block = static_cast<long>(nextAddress_ / kBlock);
        const auto flash = std::span(line.memory().flash).subspan(nextAddress_, kBlock);
        std::uint8_t st2 =
            std::equal(flash.begin(), flash.end(), frame.payload.begin()) ? kAck : kVerifyError;
        if (block == verifySt2_.block) st2 = verifySt2_.status;
        line.send(statusFrame({kAck, st2}, false), line.now() + timings_.blockVerify);
        advance(frame);
    }

    // Moves to the next block; true when the transfer is over.
    bool advance(const Frame& frame) {
        nextAddress_ += kBlock;
        if (frame.end != kEtx && nextAddress_ <= endAddress_) return false;
        awaiting_ = Awaiting::Command;
        return true;
    }

    static std::uint8_t dataStatus(const Frame& frame, std::size_t size) {
        if (!frame.sumRight) return kChecksumError;
        return frame.payload.size() == size ? kAck : kParameterError;
    }

    // Start and end address, three bytes each, of whole blocks inside the flash.
    static std::optional<std::pair<std::size_t, std::size_t>> addressRange(
        std::span<const std::uint8_t> payload) {
        if (payload.size() != 7) return std::nullopt;
        const auto address = [&](std::size_t at) {
            return (std::size_t{payload[at]} << 16) | (std::size_t{payload[at + 1]} << 8) | payload[at + 2];
        };
        const std::size_t start = address(1);
        const std::size_t end = address(4);
        if (start % kBlock != 0 || end % kBlock != kBlock - 1 || start > end || end >= kSimFlashSize) {
            return std::nullopt;
        }
        return std::make_pair(start, end);
    }

    static std::vector<std::uint8_t> statusFrame(std::initializer_list<std::uint8_t> statuses, bool badSum) {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(statuses.size() + 4);
        bytes.push_back(kStx);
        bytes.push_back(static_cast<std::uint8_t>(statuses.size()));
        for (const std::uint8_t status : statuses) bytes.push_back(status);
        const auto sum = static_cast<std::uint8_t>(0x100 - sumOf(std::span(bytes).subspan(1)));
        bytes.push_back(static_cast<std::uint8_t>(badSum ? sum + 1 : sum));
        bytes.push_back(kEtx);
        return bytes;
    }

    void sendStatus(DeviceLine& line, Micros delay, std::initializer_list<std::uint8_t> statuses,
                    Stage stage) {
        const bool badSum = stage != Stage::None && stage == badSumStage_;
        if (badSum) badSumStage_ = Stage::None;  // strikes once
        line.send(statusFrame(statuses, badSum), line.now() + delay);
    }

    DeviceTimings timings_;
    long resetNacks_;
    bool resetSilent_;
    bool dsrHeld_;
    std::uint8_t ofsStatus_;
    std::uint8_t eraseStatus_;
    std::uint8_t writeCommandStatus_;
    BlockFault writeBlockSt2_;
    bool finalWriteSilent_;
    std::uint8_t securityStatus_;
    bool securitySecondSilent_;
    long verifyMismatchBlock_;
    BlockFault verifySt2_;
    Stage badSumStage_;
    long powerOffBlock_;

    WakeUp wakeUp_;
    FrameReader reader_;
    Awaiting awaiting_ = Awaiting::Command;
    bool speedSwitched_ = false;
    std::size_t nextAddress_ = 0;
    std::size_t endAddress_ = 0;
};

}  // namespace

std::unique_ptr<Firmware> makeBootFirmware(const RqSystemOptions& options) {
    return std::make_unique<BootFirmware>(options.faults, options.timings);
}

}  // namespace rq::sim
