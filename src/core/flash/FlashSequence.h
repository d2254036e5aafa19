#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/flash/ProcessLog.h"
#include "core/text/Trace.h"
#include "core/state/WizardState.h"

namespace rq {

// One request to the boot firmware and the status frame that answers it.
struct FlashExchange {
    std::string_view sendWord;     // status bar panel 2 when the frame goes out
    std::string_view receiveWord;  // ... and when the status has come back
    std::size_t statusSize;        // 5 or 6 bytes
    Millis timeout;                // counted from the moment the frame has left the port
    bool withSt2;                  // ST2 must accept too
};

// The error code of a failure that no stage handles, such as a port that refuses a setting.
inline constexpr std::uint8_t kErrorNoStart = 30;

// The seven stages that program the device through its boot firmware, on an open port at 9600,N,8,1.
// Each stage returns 0 or its result code, and on failure leaves the error code in LinkError, which
// must be 0 when the stage starts.
class FlashSequence {
  public:
    FlashSequence(StepContext& context, const ProgrammingImage& image, ProcessLog& log)
        : context_(context), image_(image), log_(log) {}

    // The stages in their order, each with its start and done lines, up to the first that fails.
    std::uint8_t run();

    std::uint8_t connect();
    std::uint8_t setClock();
    std::uint8_t setBaudRate();
    std::uint8_t eraseChip();
    std::uint8_t write();
    std::uint8_t setSecurity();
    std::uint8_t verify();

  private:
    bool waitForDsrOff();
    void showStatus(std::string_view word);
    // Writes the bytes as they are, traced.
    bool write(std::span<const std::uint8_t> bytes);
    // Writes a frame after the pause every frame is given.
    bool send(std::span<const std::uint8_t> bytes);
    void trace(std::span<const std::uint8_t> bytes, Direction direction);
    std::uint8_t exchange(const FlashExchange& kind, std::span<const std::uint8_t> frame);
    // A status frame that follows the previous one, with nothing sent.
    std::uint8_t awaitFurtherStatus(const FlashExchange& kind);
    std::uint8_t receiveStatus(const FlashExchange& kind, Micros timeout);
    std::uint8_t resetWithResends(const FlashExchange& kind);
    std::uint8_t transferImage(const FlashExchange& kind, std::string_view blockLine, std::uint8_t errorCode);
    std::uint8_t fail(std::uint8_t result, std::uint8_t errorCode);
    std::uint8_t unexpectedFailure();
    // A time-out or a port failure has chosen its own error code already.
    bool errorDecided() const { return context_.state.LinkError != 0; }
    Micros lineTime(std::size_t bytes) const;

    StepContext& context_;
    const ProgrammingImage& image_;
    ProcessLog& log_;
    std::uint8_t retries_ = 0;
    std::uint32_t baudRate_ = kBootBaudRate;
    // Bytes read past the last status frame: a device may send two statuses in one go.
    std::vector<std::uint8_t> received_;
    std::string statusWord_;  // what panel 2 shows, for the trace

    static constexpr std::uint32_t kBootBaudRate = 9600;
};

}  // namespace rq
