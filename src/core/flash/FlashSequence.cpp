#include "core/flash/FlashSequence.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/flash/FlashFrames.h"

namespace rq {
namespace {

using namespace std::chrono_literals;

constexpr FlashExchange kConnectReset{"RESET SEND", "RESET RECV", kShortStatusSize, 3000ms, false};
constexpr FlashExchange kClock{"OFS SEND", "OFS RECV", kShortStatusSize, 3000ms, false};
constexpr FlashExchange kBaudRateReset{"BAUDRATE SEND", "BAUDRATE RECV", kShortStatusSize, 3000ms, false};
constexpr FlashExchange kErase{"CHIP ERASE SEND", "CHIP ERASE RECV", kShortStatusSize, 65535ms, false};
constexpr FlashExchange kWriteCommand{"WRITE CMD SEND", "WRITE CMD RECV", kShortStatusSize, 3000ms, false};
constexpr FlashExchange kWriteBlock{"WRITE DATA SEND", "WRITE DATA RECV", kLongStatusSize, 318ms, true};
constexpr FlashExchange kWriteFinal{"WRITE DATA SEND", "WRITE DATA RECV", kShortStatusSize, 1088ms, false};
constexpr FlashExchange kSecurityCommand{"SECURITY SET CMD SEND", "SECURITY SET CMD RECV", kShortStatusSize,
                                         3000ms, false};
constexpr FlashExchange kSecurityData{"SECURITY SET DATA SEND", "SECURITY SET DATA RECV1", kShortStatusSize,
                                      4162ms, false};
constexpr FlashExchange kSecuritySecond{"SECURITY SET DATA SEND", "SECURITY SET DATA RECV2", kShortStatusSize,
                                        4193ms, false};
constexpr FlashExchange kVerifyCommand{"VERIFY CMD SEND", "VERIFY CMD RECV", kShortStatusSize, 3000ms, false};
constexpr FlashExchange kVerifyBlock{"VERIFY DATA SEND", "VERIFY DATA RECV", kLongStatusSize, 100ms, true};

constexpr std::uint8_t kMaxResends = 16;
// The longest single wait on the port, so that a port closed meanwhile (a pulled cable, Ctrl+C) ends a
// long wait soon; each wait costs a wake-up, which adds up over a whole image on a slow line.
constexpr Micros kWaitSlice = 50ms;
constexpr int kDsrReads = 101;
constexpr int kBitsPerByte = 10;

// Error codes for error reporting, and the result codes of the computer's own.
constexpr std::uint8_t kErrorDsrHeld = 31;
constexpr std::uint8_t kErrorResends = 32;
constexpr std::uint8_t kErrorTimeout = 33;
constexpr std::uint8_t kErrorSetting = 34;
constexpr std::uint8_t kErrorErase = 35;
constexpr std::uint8_t kErrorWrite = 36;
constexpr std::uint8_t kErrorVerify = 37;
constexpr std::uint8_t kResultTimeout = 31;
constexpr std::uint8_t kResultResends = 32;
constexpr std::uint8_t kResultDsrHeld = 126;

struct Stage {
    FlashStage stage;
    std::string_view startLine;
    std::string_view doneLine;
    std::uint8_t (FlashSequence::*run)();
};

constexpr std::array<Stage, 7> kStages = {{
    {FlashStage::Connect, "接続開始", "接続完了", &FlashSequence::connect},
    {FlashStage::SetClock, "クロック設定開始", "クロック設定完了", &FlashSequence::setClock},
    {FlashStage::SetBaudRate, "書き込みボーレート設定開始", "書き込みボーレート設定完了", &FlashSequence::setBaudRate},
    {FlashStage::Erase, "旧ファームウェア消去開始", "旧ファームウェア消去完了", &FlashSequence::eraseChip},
    {FlashStage::Write, "新ファームウェア書き込み開始", "新ファームウェア書き込み完了", &FlashSequence::write},
    {FlashStage::SetSecurity, "最終設定開始", "最終設定完了", &FlashSequence::setSecurity},
    {FlashStage::Verify, "ベリファイ開始", "ベリファイ完了", &FlashSequence::verify},
}};

}  // namespace

std::uint8_t FlashSequence::run() {
    for (const Stage& stage : kStages) {
        context_.state.flashStage = stage.stage;
        log_.show(stage.startLine);
        if (const std::uint8_t result = (this->*stage.run)()) return result;
        log_.keep(stage.doneLine);
    }
    return 0;
}

std::uint8_t FlashSequence::connect() {
    retries_ = 0;
    if (!waitForDsrOff()) {
        context_.state.LinkError = kErrorDsrHeld;
        return kResultDsrHeld;
    }
    Port& port = context_.port;
    Clock& clock = context_.clock;
    static constexpr std::array<std::uint8_t, 1> kWakeUp = {0x00};
    port.setDtr(true);
    clock.sleep(2ms);
    port.setRts(true);
    clock.sleep(150ms);
    for (int i = 0; i < 2; ++i) {
        if (!write(kWakeUp)) return unexpectedFailure();
        clock.sleep(7ms);
    }
    return resetWithResends(kConnectReset);
}

std::uint8_t FlashSequence::setClock() {
    retries_ = 0;
    return fail(exchange(kClock, oscillationFrequencyFrame()), kErrorSetting);
}

std::uint8_t FlashSequence::setBaudRate() {
    const std::uint8_t index = context_.state.commSettings.UpBaudrateIndex;
    const auto frame = baudRateFrame(index);
    if (!frame) return unexpectedFailure();
    // The boot firmware does not answer this command; it listens at the new speed at once.
    if (!send(*frame)) return unexpectedFailure();
    context_.clock.sleep(1ms);
    const std::uint32_t baudRate = kProgrammingBaudRates[index];
    if (context_.port.setSettings(std::to_string(baudRate) + ",N,8,1") != PortError::None) {
        return unexpectedFailure();
    }
    baudRate_ = baudRate;
    return resetWithResends(kBaudRateReset);
}

std::uint8_t FlashSequence::eraseChip() {
    retries_ = 0;
    return fail(exchange(kErase, commandFrame(FlashCommand::ChipErase)), kErrorErase);
}

std::uint8_t FlashSequence::write() {
    if (const auto result = exchange(kWriteCommand, programmingFrame())) return fail(result, kErrorWrite);
    if (const auto result = transferImage(kWriteBlock, "新ファームウェア書き込み中 ", kErrorWrite))
        return result;
    // The device reports once more when it has finished writing.
    return fail(awaitFurtherStatus(kWriteFinal), kErrorWrite);
}

std::uint8_t FlashSequence::setSecurity() {
    if (const auto result = exchange(kSecurityCommand, securitySetFrame()))
        return fail(result, kErrorSetting);
    if (const auto result = exchange(kSecurityData, securityDataFrame())) return fail(result, kErrorSetting);
    return fail(awaitFurtherStatus(kSecuritySecond), kErrorSetting);
}

std::uint8_t FlashSequence::verify() {
    if (const auto result = exchange(kVerifyCommand, verifyFrame())) return fail(result, kErrorVerify);
    return transferImage(kVerifyBlock, "ベリファイ中 ", kErrorVerify);
}

bool FlashSequence::waitForDsrOff() {
    for (int read = 1; context_.port.dsr(); ++read) {
        if (read == kDsrReads) return false;
        context_.clock.yield();
    }
    return true;
}

void FlashSequence::showStatus(std::string_view word) {
    statusWord_ = word;
    context_.view.setStatus(2, statusWord_);
}

bool FlashSequence::write(std::span<const std::uint8_t> bytes) {
    trace(bytes, Direction::Request);
    return context_.port.write(bytes) == PortError::None;
}

bool FlashSequence::send(std::span<const std::uint8_t> bytes) {
    received_.clear();  // nothing that came before can answer this frame
    context_.clock.sleep(1ms);
    return write(bytes);
}

void FlashSequence::trace(std::span<const std::uint8_t> bytes, Direction direction) {
    if (!context_.state.traceWanted()) return;
    const std::string now = context_.state.traceTime(std::chrono::system_clock::now());
    context_.view.traceLine(traceEntry(now, statusWord_, bootTraceLine(bytes, direction)));
}

std::uint8_t FlashSequence::exchange(const FlashExchange& kind, std::span<const std::uint8_t> frame) {
    showStatus(kind.sendWord);
    if (!send(frame)) return unexpectedFailure();
    return receiveStatus(kind, kind.timeout + lineTime(frame.size()));
}

std::uint8_t FlashSequence::awaitFurtherStatus(const FlashExchange& kind) {
    return receiveStatus(kind, kind.timeout);
}

std::uint8_t FlashSequence::receiveStatus(const FlashExchange& kind, Micros timeout) {
    Port& port = context_.port;
    const Micros deadline = context_.clock.now() + timeout;
    // A port whose line fails closes itself: the status will not come, and the time-out is not waited out.
    while (received_.size() < kind.statusSize && port.isOpen()) {
        const Micros now = context_.clock.now();
        if (now >= deadline) break;
        const std::vector<std::uint8_t> more =
            port.read(kind.statusSize - received_.size(), std::min(deadline - now, kWaitSlice));
        received_.insert(received_.end(), more.begin(), more.end());
    }
    if (received_.size() < kind.statusSize) {
        // What did come tells a line fault from a silent device.
        if (!received_.empty()) trace(received_, Direction::Response);
        context_.state.LinkError = kErrorTimeout;
        return kResultTimeout;
    }
    showStatus(kind.receiveWord);
    const auto frame = std::span(received_).first(kind.statusSize);
    trace(frame, Direction::Response);
    const StatusFrame status = checkStatusFrame(frame);
    // What came after it may be the further status that follows; the next frame sent drops it.
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(kind.statusSize));
    return judgeStatus(status, kind.withSt2);
}

std::uint8_t FlashSequence::resetWithResends(const FlashExchange& kind) {
    const auto frame = commandFrame(FlashCommand::Reset);
    while (true) {
        const std::uint8_t result = exchange(kind, frame);
        if (result == 0 || errorDecided()) return result;
        if (retries_ >= kMaxResends) return fail(kResultResends, kErrorResends);
        ++retries_;
    }
}

std::uint8_t FlashSequence::transferImage(const FlashExchange& kind, std::string_view blockLine,
                                          std::uint8_t errorCode) {
    for (int block = 0; block < kImageBlocks; ++block) {
        log_.show(std::string(blockLine) + std::to_string(block) + " Block");
        context_.setProgressValue(block);
        const bool last = block == kImageBlocks - 1;
        const auto result = exchange(kind, dataFrame(image_[static_cast<std::size_t>(block)], last));
        if (result != 0) return fail(result, errorCode);
    }
    return 0;
}

// A status that failed is reported with the stage's own error code; a missing one has its code already.
std::uint8_t FlashSequence::fail(std::uint8_t result, std::uint8_t errorCode) {
    if (result != 0 && !errorDecided()) context_.state.LinkError = errorCode;
    return result;
}

std::uint8_t FlashSequence::unexpectedFailure() {
    context_.state.LinkError = kErrorNoStart;
    return kResultOtherFailure;
}

// The frame's own time on the line, which a time-out must not count against the device.
Micros FlashSequence::lineTime(std::size_t bytes) const {
    const auto bits = static_cast<long long>(bytes) * kBitsPerByte;
    return Micros((bits * 1'000'000 + baudRate_ - 1) / baudRate_);
}

}  // namespace rq
