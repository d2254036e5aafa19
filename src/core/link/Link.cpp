#include "core/link/Link.h"

#include <algorithm>
#include <array>

#include "core/link/Dispatch.h"
#include "core/link/FrameCutter.h"
#include "core/text/Trace.h"

namespace rq {
namespace {

constexpr Micros kResponseTick = Millis(10);
// No request waits longer for its answer, whatever the device keeps sending meanwhile. The device's
// parameter initialisation answers in well under that.
constexpr Micros kRequestBound = std::chrono::seconds(60);
// An answer that stops short is given up after this much silence. Longer than the 16 ms for which
// common USB adapters hold a short reply back, so a held tail is not taken for a lost one.
constexpr Micros kPartialAnswerSilence = Millis(20);
// The longest single wait on the port, so that a pulled cable or a CTS change is seen soon.
constexpr Micros kWaitSlice = Millis(20);
constexpr int kMaxCtsPolls = 11;
constexpr int kMaxSends = 11;
constexpr std::array<std::uint8_t, 10> kAcceptedStatuses = {0x00, 0x1F, 0x20, 0x21, 0x22,
                                                            0x25, 0x26, 0x27, 0x2A, 0x36};
constexpr std::uint8_t kBusyStatus = 0x33;
constexpr std::size_t kCommandOffset = 5;
constexpr std::size_t kReadWriteOffset = 7;

bool accepted(std::uint8_t status) {
    return std::find(kAcceptedStatuses.begin(), kAcceptedStatuses.end(), status) != kAcceptedStatuses.end();
}

// Requests that are never repeated on time: their answer is awaited without the response timer.
bool untimedFirst(std::uint8_t command) {
    return command == PARAM_123 || command == PARAM_124;
}
bool untimedLater(std::uint8_t command) {
    return command == PARAM_124;
}

// What a complete frame means for the request on the line.
enum class Verdict : std::uint8_t {
    Accepted,
    Busy,     // status 33h: ask again, the attempt does not count
    Refused,  // a wrong checksum or a refusing status: ask again
    Ignored,  // not an answer to this request: as if nothing had come
};

class Link {
  public:
    Link(StepContext& context, CommandQueue& queue, AnswerRule rule, AnswerLog* log)
        : context_(context), queue_(queue), rule_(rule), log_(log) {}

    void run();

  private:
    bool transmit();
    bool awaitCts();
    void waitForPort(Micros until);
    void followCts();
    void onBytes(const std::vector<std::uint8_t>& bytes);
    void onFrame();
    Verdict judge();
    void restartTimer();
    void tick();
    void sendAndWait(const char* statusWord);
    void startTimer();
    void startUntimedWait(const char* statusWord);
    Micros nextEvent() const;
    void endBatch();
    void subCommStop();
    void returnToIdle();
    void stopWith(std::uint8_t error);
    void setStatus(const std::string& word);
    void trace(const CommandRecord& record, Direction direction);
    std::uint8_t sentCommand() const { return SendBuffer[kCommandOffset]; }

    StepContext& context_;
    CommandQueue& queue_;
    AnswerRule rule_;
    AnswerLog* log_;
    std::int32_t LastIndex = 0;
    std::int32_t Remaining = -1;
    bool ResponseAccepted = true;
    std::int32_t RetryCount = 0;  // per batch: a count left from another batch would take its sends
    bool LinkBusy = false;
    std::vector<std::uint8_t> SendBuffer;
    CommandRecord ResponseRecord;
    FrameCutter cutter_;
    std::string statusWord_;
    bool timerRunning_ = false;  // tmrComm; while it is off the request is awaited untimed
    Micros tickAt_{0};
    std::int32_t sentIndex_ = -1;  // the record on the line, and since when it has been asked for
    Micros requestSince_{0};
    bool untimedRequest_ = false;  // its answer is awaited without the response timer
    Micros lastByteAt_{0};
    bool lastCts_ = false;
};

void Link::run() {
    if (queue_.empty()) return;
    LastIndex = Remaining = static_cast<std::int32_t>(queue_.size()) - 1;
    LinkBusy = true;
    context_.state.reply = Reply::Nothing;
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
        const Micros now = context_.clock.now();
        if (!ResponseAccepted && now >= requestSince_ + kRequestBound) {
            stopWith(untimedRequest_ ? 13 : 12);
        } else if (timerRunning_ && now >= tickAt_) {
            tick();
        } else if (cutter_.holdsPartialFrame() && now >= lastByteAt_ + kPartialAnswerSilence) {
            // The rest of this answer is not coming: a refused answer, asked again on the next tick.
            cutter_.reset();
            restartTimer();
        } else {
            waitForPort(nextEvent());
        }
    }
}

// The first of: the tick, the bound of an unanswered request, the end of a partial answer's silence.
// Each lies ahead, or run() would have acted on it.
Micros Link::nextEvent() const {
    Micros next = context_.clock.now() + kRequestBound;
    if (!ResponseAccepted) next = std::min(next, requestSince_ + kRequestBound);
    if (timerRunning_) next = std::min(next, tickAt_);
    if (cutter_.holdsPartialFrame()) next = std::min(next, lastByteAt_ + kPartialAnswerSilence);
    return next;
}

// Sends the record that Remaining selects, with the RTS/CTS handshake; false when the link stopped.
bool Link::transmit() {
    const auto index = LastIndex - Remaining;
    const CommandRecord& record = queue_[static_cast<std::size_t>(index)];
    SendBuffer = encodeRequest(record);
    trace(record, Direction::Request);
    ResponseAccepted = false;
    Port& port = context_.port;
    if (!port.isOpen()) {
        stopWith(99);
        return false;
    }
    port.setRts(true);
    if (!awaitCts()) {
        stopWith(13);
        return false;
    }
    // Whatever is left of an earlier answer must not stand in front of this one.
    port.discardInput();
    cutter_.reset();
    const PortError written = port.write(SendBuffer);
    port.setRts(false);
    if (written != PortError::None) {
        stopWith(99);
        return false;
    }
    lastCts_ = port.cts();
    if (index != sentIndex_) {
        sentIndex_ = index;
        requestSince_ = context_.clock.now();
        untimedRequest_ = untimedLater(record.Command) || (index == 0 && untimedFirst(record.Command));
    }
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

void Link::waitForPort(Micros until) {
    const Micros now = context_.clock.now();
    Port& port = context_.port;
    const auto bytes = port.read(cutter_.bytesWanted(), std::min(until - now, kWaitSlice));
    if (!port.isOpen()) {
        stopWith(99);  // the cable was pulled, or the line failed
        return;
    }
    followCts();
    if (!bytes.empty()) onBytes(bytes);
}

// The device's CTS asks for RTS to follow it.
void Link::followCts() {
    const bool cts = context_.port.cts();
    if (cts == lastCts_) return;
    lastCts_ = cts;
    context_.port.setRts(cts);
}

void Link::onBytes(const std::vector<std::uint8_t>& bytes) {
    lastByteAt_ = context_.clock.now();
    if (context_.state.reply == Reply::Nothing) context_.state.reply = Reply::Garbled;
    setStatus("Recv");
    switch (cutter_.feed(bytes, ResponseRecord)) {
        case FrameCutter::Result::Complete:
            onFrame();
            break;
        case FrameCutter::Result::Oversize:
            restartTimer();
            break;
        case FrameCutter::Result::Incomplete:
            break;
    }
}

void Link::onFrame() {
    trace(ResponseRecord, Direction::Response);
    // Once answered, the request waits only for the tick that sends the next one.
    if (ResponseAccepted) return;
    switch (judge()) {
        case Verdict::Accepted:
            ResponseAccepted = true;
            if (Remaining < 0) {
                endBatch();
                return;
            }
            break;
        case Verdict::Busy:
            RetryCount = 0;
            break;
        case Verdict::Refused:
            break;
        case Verdict::Ignored:
            return;
    }
    restartTimer();
}

Verdict Link::judge() {
    if (!IsChecksumValid(ResponseRecord)) return Verdict::Refused;
    // The line carries whole frames: its settings are the device's.
    context_.state.reply = Reply::Frames;
    // A frame for another request, such as a late answer to the one before, answers nothing here.
    if (ResponseRecord.Command != sentCommand()) return Verdict::Ignored;
    if (ResponseRecord.Status == kBusyStatus) return Verdict::Busy;
    if (!accepted(ResponseRecord.Status)) return Verdict::Refused;
    const std::uint8_t readWrite = SendBuffer[kReadWriteOffset];
    ResponseTarget target{context_.state.params, context_.view, readWrite,
                          log_ != nullptr ? &log_->filled : nullptr};
    const bool taken = DispatchResponse(ResponseRecord, target);
    if (!taken && rule_ == AnswerRule::ReadsStored && readWrite != kWrite) return Verdict::Ignored;
    if (!taken && log_ != nullptr) {
        const auto request = payload(queue_[static_cast<std::size_t>(sentIndex_)]);
        log_->unstored.push_back({sentCommand(), {request.begin(), request.end()}});
    }
    return Verdict::Accepted;
}

// A complete answer, whatever it said, starts the response time-out again.
void Link::restartTimer() {
    startTimer();
    setStatus("Wait");
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
    if (untimedLater(sentCommand())) {
        startUntimedWait("Wait");
    } else {
        startTimer();
        setStatus("Wait");
    }
}

void Link::startTimer() {
    timerRunning_ = true;
    tickAt_ = context_.clock.now() + kResponseTick;
}

void Link::startUntimedWait(const char* statusWord) {
    timerRunning_ = false;
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
    if (!context_.state.traceWanted()) return;
    const std::string now = context_.state.traceTime(std::chrono::system_clock::now());
    context_.view.traceLine(traceEntry(now, statusWord_, traceLine(record, direction)));
}

}  // namespace

void subFirstSend(StepContext& context, CommandQueue& queue, AnswerRule rule, AnswerLog* log) {
    Link(context, queue, rule, log).run();
}

}  // namespace rq
