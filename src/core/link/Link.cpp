#include "core/link/Link.h"

#include <algorithm>
#include <array>

#include "core/link/Dispatch.h"
#include "core/link/FrameCutter.h"
#include "core/link/Trace.h"

namespace rq {
namespace {

constexpr Micros kResponseTick = Millis(10);
// The device's parameter initialisation answers in well under a minute.
constexpr Micros kUntimedAnswerBound = std::chrono::seconds(60);
constexpr int kMaxCtsPolls = 11;
constexpr int kMaxSends = 11;
constexpr std::array<std::uint8_t, 10> kAcceptedStatuses = {0x00, 0x1F, 0x20, 0x21, 0x22,
                                                            0x25, 0x26, 0x27, 0x2A, 0x36};
constexpr std::uint8_t kBusyStatus = 0x33;

bool accepted(std::uint8_t status) {
    return std::find(kAcceptedStatuses.begin(), kAcceptedStatuses.end(), status) != kAcceptedStatuses.end();
}

// Requests that are never repeated: their answer is awaited without the response timer.
bool untimedFirst(std::uint8_t command) {
    return command == PARAM_123 || command == PARAM_124;
}
bool untimedLater(std::uint8_t command) {
    return command == PARAM_124;
}

class Link {
  public:
    Link(StepContext& context, CommandQueue& queue) : context_(context), queue_(queue) {}

    void run();

  private:
    bool transmit();
    bool awaitCts();
    bool receiveFrame();
    void onFrame();
    void acceptOrRefuse();
    void tick();
    void sendAndWait(const char* statusWord);
    void startTimer();
    void startUntimedWait(const char* statusWord);
    void endBatch();
    void subCommStop();
    void returnToIdle();
    void stopWith(std::uint8_t error);
    void setStatus(const std::string& word);
    void trace(const CommandRecord& record, Direction direction);

    StepContext& context_;
    CommandQueue& queue_;
    std::int32_t LastIndex = 0;
    std::int32_t Remaining = -1;
    bool ResponseAccepted = true;
    std::int32_t RetryCount = 0;
    bool LinkBusy = false;
    std::vector<std::uint8_t> SendBuffer;
    CommandRecord ResponseRecord;
    FrameCutter cutter_;
    std::string statusWord_;
    bool timerRunning_ = false;  // tmrComm: a tick at the deadline; otherwise the deadline is the bound
    Micros deadline_{0};
};

void Link::run() {
    if (queue_.empty()) return;
    LastIndex = Remaining = static_cast<std::int32_t>(queue_.size()) - 1;
    LinkBusy = true;
    for (CommandRecord& record : queue_) record.Checksum = CalcChecksum(record);
    setStatus("Send");
    if (!transmit()) return;
    if (untimedFirst(queue_.front().Command)) {
        startUntimedWait("");
    } else {
        startTimer();
        setStatus("Wait");
    }
    while (LinkBusy) {
        if (receiveFrame()) continue;
        if (timerRunning_) {
            tick();
        } else {
            stopWith(13);
        }
    }
}

// Sends the record that Remaining selects, with the RTS/CTS handshake; false when the link stopped.
bool Link::transmit() {
    const CommandRecord& record = queue_[static_cast<std::size_t>(LastIndex - Remaining)];
    SendBuffer = encodeRequest(record);
    trace(record, Direction::Request);
    ResponseAccepted = false;
    Port& port = context_.port;
    port.setRts(true);
    if (!awaitCts()) {
        stopWith(13);
        return false;
    }
    const PortError written = port.write(SendBuffer);
    port.setRts(false);
    if (written != PortError::None) {
        stopWith(99);
        return false;
    }
    cutter_.requestSent();
    --Remaining;
    if (Remaining >= 0) context_.setProgressValue(LastIndex - Remaining);
    return true;
}

bool Link::awaitCts() {
    for (int polls = 0; !context_.port.cts();) {
        context_.clock.yield();
        if (++polls == kMaxCtsPolls) return false;
    }
    return true;
}

// Reads until a frame completes or the deadline passes; true when a frame was handled.
bool Link::receiveFrame() {
    while (true) {
        const Micros now = context_.clock.now();
        if (now >= deadline_) return false;
        const auto bytes = context_.port.read(cutter_.bytesWanted(), deadline_ - now);
        if (bytes.empty()) continue;
        setStatus("Recv");
        // An oversize frame counts as no answer: the timer runs on and the request is repeated.
        if (cutter_.feed(bytes, ResponseRecord) == FrameCutter::Result::Complete) {
            onFrame();
            return true;
        }
    }
}

void Link::onFrame() {
    trace(ResponseRecord, Direction::Response);
    const bool answeredBefore = ResponseAccepted;
    acceptOrRefuse();
    if (Remaining < 0 && ResponseAccepted) {
        endBatch();
        return;
    }
    // Only the first accepted answer moves the tick, so a device that keeps talking cannot hold it off.
    if (!timerRunning_ || (ResponseAccepted && !answeredBefore)) startTimer();
    setStatus("Wait");
}

void Link::acceptOrRefuse() {
    if (!IsChecksumValid(ResponseRecord)) {
        ResponseAccepted = false;
    } else if (accepted(ResponseRecord.Status)) {
        ResponseTarget target{context_.state.params, context_.view, SendBuffer[7]};
        DispatchResponse(ResponseRecord, target);
        ResponseAccepted = true;
    } else if (ResponseRecord.Status == kBusyStatus) {
        // The device asks for patience: this attempt does not count.
        RetryCount = 0;
    }
}

void Link::tick() {
    if (ResponseAccepted) {
        // Accepted with requests left: the batch would have ended at the answer otherwise.
        RetryCount = 0;
        sendAndWait("Send");
        return;
    }
    if (++RetryCount == kMaxSends) {
        RetryCount = 0;
        stopWith(12);
        return;
    }
    ++Remaining;
    sendAndWait("Retry");
}

void Link::sendAndWait(const char* statusWord) {
    setStatus(statusWord);
    if (!transmit()) return;
    const std::uint8_t command = SendBuffer[5];
    if (untimedLater(command)) {
        startUntimedWait("Wait");
    } else {
        startTimer();
        setStatus("Wait");
    }
}

void Link::startTimer() {
    timerRunning_ = true;
    deadline_ = context_.clock.now() + kResponseTick;
}

void Link::startUntimedWait(const char* statusWord) {
    timerRunning_ = false;
    deadline_ = context_.clock.now() + kUntimedAnswerBound;
    setStatus(statusWord);
}

void Link::endBatch() {
    returnToIdle();
    Port& port = context_.port;
    if (port.isOpen() && !context_.state.params.KeepPortOpen) port.close();
}

void Link::subCommStop() {
    Port& port = context_.port;
    port.discardOutput();
    port.discardInput();
    returnToIdle();
    Remaining = -1;
    if (!port.isOpen()) {
        context_.state.params.KeepPortOpen = false;
    } else if (!context_.state.params.KeepPortOpen) {
        port.close();
    }
}

void Link::returnToIdle() {
    SendBuffer.clear();
    queue_.clear();
    ResponseRecord = {};
    cutter_.reset();
    timerRunning_ = false;
    setStatus("Ready");
    LastIndex = 0;
    ResponseAccepted = true;
    LinkBusy = false;
    context_.view.setBusyPointer(false);
}

void Link::stopWith(std::uint8_t error) {
    subCommStop();
    context_.state.LinkError = error;
}

void Link::setStatus(const std::string& word) {
    statusWord_ = word;
    context_.view.setStatus(2, word);
}

void Link::trace(const CommandRecord& record, Direction direction) {
    if (!context_.state.TraceEnabled) return;
    const std::string now = context_.state.traceTime(std::chrono::system_clock::now());
    context_.view.traceLine(traceEntry(now, statusWord_, traceLine(record, direction)));
}

}  // namespace

void subFirstSend(StepContext& context, CommandQueue& queue) {
    Link(context, queue).run();
}

}  // namespace rq
