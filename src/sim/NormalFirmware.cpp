#include "sim/NormalFirmware.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "sim/Firmwares.h"
#include "sim/WorkingCommands.h"

namespace rq::sim {
namespace {

constexpr LineSettings kNormalLine{307200, Parity::Odd, 8, StopBits::One};

constexpr std::uint8_t kAccepted = 0x00;
constexpr std::uint8_t kRefused = 0x01;
constexpr std::uint8_t kBusy = 0x33;

constexpr std::uint8_t kModelName = 1;
constexpr std::uint8_t kSerialNumber = 2;
constexpr std::uint8_t kParam03 = 3;
constexpr std::uint8_t kParam04 = 4;
constexpr std::uint8_t kFirmwareVersion = 5;
constexpr std::uint8_t kParam06 = 6;
constexpr std::uint8_t kParameterInit = 124;
constexpr std::uint8_t kPasswordRead = 126;
constexpr std::uint8_t kAccessMode = 127;

constexpr std::uint8_t kWriteFlag = 1;
constexpr std::string_view kUserCode = "602431";
constexpr std::string_view kInitCode = "48157203";
// A response length byte the computer's frame length cannot hold.
constexpr std::uint8_t kOversizeLength = 246;
// A request whose bytes are further apart than this is abandoned; the next preamble starts afresh.
constexpr Micros kInterByteGap{5'000};

struct Request {
    std::uint8_t command = 0;
    std::uint8_t readWrite = 0;
    std::vector<std::uint8_t> data;
};

struct Answer {
    std::uint8_t status = kAccepted;
    std::vector<std::uint8_t> data;
};

std::uint8_t xorOf(std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes) sum ^= byte;
    return sum;
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// Reads requests off the line byte by byte: at least five 0xFF, then command, status, read/write,
// length, data and checksum. What does not fit is skipped until the next preamble; the trailing pad
// byte is skipped that way too.
class RequestReader {
  public:
    std::optional<Request> take(std::uint8_t byte, Micros at) {
        if (!body_.empty() && at - lastByteAt_ > kInterByteGap) restart();
        lastByteAt_ = at;
        if (body_.empty()) {
            startOrCountPreamble(byte);
            return std::nullopt;
        }
        body_.push_back(byte);
        if (body_.size() < kHeader || body_.size() < kHeader + body_[3] + 1) return std::nullopt;
        const bool sound = xorOf(std::span(body_).first(body_.size() - 1)) == body_.back();
        Request request{body_[0], body_[2], {body_.begin() + kHeader, body_.end() - 1}};
        restart();
        if (!sound) return std::nullopt;
        return request;
    }

  private:
    static constexpr std::size_t kHeader = 4;  // command, status, read/write, length

    void startOrCountPreamble(std::uint8_t byte) {
        if (byte == 0xFF) {
            ++preamble_;
        } else if (preamble_ >= 5) {
            body_.push_back(byte);
        } else {
            preamble_ = 0;
        }
    }
    void restart() {
        body_.clear();
        preamble_ = 0;
    }

    int preamble_ = 0;
    std::vector<std::uint8_t> body_;  // from the command byte on; at most 4 + 255 + 1 bytes
    Micros lastByteAt_{0};
};

// The identity bytes of commands 3, 4 and 6 in the memory the firmware keeps.
std::uint8_t* identityByte(DeviceMemory& memory, std::uint8_t command) {
    switch (command) {
        case kParam03:
            return &memory.param03;
        case kParam04:
            return &memory.param04;
        case kParam06:
            return &memory.param06;
        default:
            return nullptr;
    }
}

class NormalFirmware final : public Firmware {
  public:
    explicit NormalFirmware(const RqSystemOptions& options)
        : timings_(options.timings),
          silentAfter_(options.faults.number("silent-after")),
          refuseFirst_(options.faults.number("refuse").value_or(0)),
          busyFirst_(options.faults.number("busy").value_or(0)),
          badSumAt_(options.faults.number("bad-sum")),
          ctsOff_(options.faults.has("cts-off")),
          silent124_(options.faults.has("silent-124")),
          oversize_(options.faults.has("oversize-response")),
          shortAnswerTo_(options.faults.number("short-answer")),
          channelZeroTo_(options.faults.number("channel-zero")) {}

    LineSettings powerOn(DeviceMemory&) override {
        reader_ = {};
        mode_ = 0;
        grant_ = Grant::None;
        requests_ = 0;
        responses_ = 0;
        readCommands_.clear();
        return kNormalLine;
    }

    void receive(std::uint8_t byte, DeviceLine& line) override {
        if (const auto request = reader_.take(byte, line.now())) serve(*request, line);
    }

    bool cts(bool rts) const override { return rts && !ctsOff_; }
    bool dsr(bool) const override { return false; }

  private:
    // What the access code of mode 2 opened.
    enum class Grant : std::uint8_t { None, Write, Initialise };

    void serve(const Request& request, DeviceLine& line) {
        ++requests_;
        if (silentAfter_ && requests_ > *silentAfter_) return;
        if (request.command == kParameterInit && silent124_) return;
        Micros workTime = timings_.reply;
        Answer answer;
        if (requests_ <= refuseFirst_) {
            answer.status = kRefused;
        } else if (requests_ <= busyFirst_) {
            answer.status = kBusy;
        } else {
            answer = handle(request, line.memory());
            if (request.command == kParameterInit && answer.status == kAccepted)
                workTime += timings_.parameterInit;
            if (answer.status == kAccepted && request.readWrite != kWriteFlag)
                spoilFirstRead(request, answer);
        }
        line.send(frame(request, answer), line.now() + workTime);
    }

    Answer handle(const Request& request, DeviceMemory& memory) {
        const bool write = request.readWrite == kWriteFlag;
        switch (request.command) {
            case kAccessMode:
                return write ? changeAccess(request.data) : Answer{kAccepted, {mode_}};
            case kParameterInit:
                return write ? initialise(memory) : refused();
            case kPasswordRead:
                return (write || mode_ == 0) ? refused() : Answer{kAccepted, bytesOf(kUserCode)};
            case kFirmwareVersion: {
                if (write || mode_ == 0) return refused();
                const auto version = flashFirmwareVersion(memory);
                return {kAccepted, {version.begin(), version.end()}};
            }
            default:
                if (isWorkingCommand(request.command)) return working(request, memory);
                return identity(request, memory);
        }
    }

    Answer changeAccess(const std::vector<std::uint8_t>& data) {
        if (data.empty()) return refused();
        const std::uint8_t mode = data[0];
        const std::string code(data.begin() + 1, data.end());
        if (mode == 2 && (code == kUserCode || code == kInitCode)) {
            grant_ = code == kUserCode ? Grant::Write : Grant::Initialise;
        } else if (mode <= 1 && code == kUserCode) {
            grant_ = Grant::None;
        } else {
            return refused();
        }
        mode_ = mode;
        return {kAccepted, {mode_}};
    }

    Answer initialise(DeviceMemory& memory) {
        if (mode_ != 2 || grant_ != Grant::Initialise) return refused();
        memory.modelName = std::string(8, ' ');
        memory.serialNumber = std::string(6, ' ');
        memory.param03 = memory.param04 = memory.param06 = 0;
        memory.working = initialWorkingSet();
        return {kAccepted, {}};
    }

    // Commands 1, 2, 3, 4 and 6: read in mode 1 or 2, written in mode 2 with the user's code.
    Answer identity(const Request& request, DeviceMemory& memory) {
        const bool write = request.readWrite == kWriteFlag;
        if (mode_ == 0 || (write && grant_ != Grant::Write)) return refused();
        if (request.command == kModelName) return text(memory.modelName, 8, request, write);
        if (request.command == kSerialNumber) return text(memory.serialNumber, 6, request, write);
        std::uint8_t* byte = identityByte(memory, request.command);
        if (byte == nullptr) return refused();
        // Command 3 carries its byte alone; 4 and 6 add a spare 0.
        const std::size_t size = request.command == kParam03 ? 1 : 2;
        if (write) {
            if (request.data.size() != size) return refused();
            *byte = request.data[0];
        }
        std::vector<std::uint8_t> data(size, 0);
        data[0] = *byte;
        return {kAccepted, data};
    }

    // The channel parameters: read in mode 1 or 2, written in mode 2 with the user's code.
    Answer working(const Request& request, DeviceMemory& memory) {
        const bool write = request.readWrite == kWriteFlag;
        if (mode_ == 0 || (write && grant_ != Grant::Write)) return refused();
        auto data = serveWorkingCommand(memory.working, request.command, write, request.data);
        return data ? Answer{kAccepted, std::move(*data)} : refused();
    }

    static Answer text(std::string& field, std::size_t size, const Request& request, bool write) {
        if (write) {
            if (request.data.size() != size) return refused();
            field.assign(request.data.begin(), request.data.end());
        }
        std::vector<std::uint8_t> data(size, ' ');
        std::copy_n(field.begin(), std::min(size, field.size()), data.begin());
        return {kAccepted, data};
    }

    static Answer refused() { return {kRefused, {}}; }

    // The faults that spoil the answer to the first read of a command, for a computer that cannot store it.
    void spoilFirstRead(const Request& request, Answer& answer) {
        if (!readCommands_.insert(request.command).second) return;
        if (shortAnswerTo_ == request.command && !answer.data.empty()) answer.data.pop_back();
        if (channelZeroTo_ == request.command) {
            for (const std::size_t at : channelPositions(request.command, answer.data.size()))
                if (at < answer.data.size()) answer.data[at] = 0;
        }
    }

    std::vector<std::uint8_t> frame(const Request& request, Answer answer) {
        ++responses_;
        if (oversize_) answer.data.resize(kOversizeLength, 0);
        std::vector<std::uint8_t> bytes(5, 0xFF);
        bytes.insert(bytes.end(), {request.command, answer.status, request.readWrite,
                                   static_cast<std::uint8_t>(answer.data.size())});
        bytes.insert(bytes.end(), answer.data.begin(), answer.data.end());
        std::uint8_t sum = xorOf(std::span(bytes).subspan(5));
        if (badSumAt_ && responses_ == *badSumAt_) sum ^= 0xFF;
        bytes.push_back(sum);
        return bytes;
    }

    DeviceTimings timings_;
    std::optional<long> silentAfter_;
    long refuseFirst_;
    long busyFirst_;
    std::optional<long> badSumAt_;
    bool ctsOff_;
    bool silent124_;
    bool oversize_;
    std::optional<long> shortAnswerTo_;
    std::optional<long> channelZeroTo_;

    RequestReader reader_;
    std::uint8_t mode_ = 0;
    Grant grant_ = Grant::None;
    long requests_ = 0;                    // since power-on
    long responses_ = 0;                   // since power-on
    std::set<std::uint8_t> readCommands_;  // the commands read since power-on
};

}  // namespace

std::unique_ptr<Firmware> makeNormalFirmware(const RqSystemOptions& options) {
    return std::make_unique<NormalFirmware>(options);
}

}  // namespace rq::sim
