#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/io/ForwardingPort.h"
#include "support/PortStub.h"

namespace rq::test {

using Bytes = std::vector<std::uint8_t>;

// A response frame as the device puts it on the line, built here by hand.
inline Bytes responseFrame(std::uint8_t command, std::uint8_t status, const Bytes& data = {},
                           std::uint8_t readWrite = 0) {
    Bytes frame(5, 0xFF);
    frame.reserve(data.size() + 10);
    for (const std::uint8_t byte : {command, status, readWrite, static_cast<std::uint8_t>(data.size())})
        frame.push_back(byte);
    frame.insert(frame.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::size_t i = 5; i < frame.size(); ++i) sum ^= frame[i];
    frame.push_back(sum);
    return frame;
}

inline Bytes bytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// A request frame taken apart by hand: command, read/write flag and data.
struct SentRequest {
    std::uint8_t command = 0;
    std::uint8_t readWrite = 0;
    Bytes data;
    friend bool operator==(const SentRequest&, const SentRequest&) = default;
};

inline SentRequest parseRequest(const Bytes& frame) {
    if (frame.size() < 11) return {};
    return {frame[5], frame[7], Bytes(frame.begin() + 9, frame.end() - 2)};
}

inline std::vector<int> commandsOf(const std::vector<Bytes>& frames) {
    std::vector<int> commands;
    for (const Bytes& frame : frames) commands.push_back(frame.size() > 5 ? frame[5] : -1);
    return commands;
}

// A port with a scripted device behind it: every write is answered with the pieces the script returns,
// one piece per read, the first `answerDelay` after the write and the others `pieceGap` apart.
class ScriptedPort final : public PortStub {
  public:
    using Script = std::function<std::vector<Bytes>(const Bytes& request)>;

    ScriptedPort(Clock& clock, Script script) : clock_(clock), script_(std::move(script)) {}

    std::vector<Bytes> writes;
    std::vector<Micros> writeTimes;
    bool ctsOn = true;
    std::function<bool(Micros)> ctsAt;  // when set, CTS as it is at that time
    PortError writeResult = PortError::None;
    Micros answerDelay{0};
    Micros pieceGap{0};
    std::optional<Micros> lineFailsAt;  // the cable is pulled then: the port closes itself
    std::vector<std::pair<Micros, bool>> rtsChanges;

    PortError write(std::span<const std::uint8_t> bytes) override {
        if (writeResult != PortError::None) return writeResult;
        if (!open_) return PortError::NotOpen;
        writes.emplace_back(bytes.begin(), bytes.end());
        writeTimes.push_back(clock_.now());
        Micros at = clock_.now() + answerDelay;
        for (Bytes& piece : script_(writes.back())) {
            pending_.push_back({std::move(piece), at});
            at += pieceGap;
        }
        return PortError::None;
    }
    std::vector<std::uint8_t> read(std::size_t, Micros timeout) override {
        Micros until = clock_.now() + timeout;
        if (!pending_.empty()) until = std::min(until, std::max(clock_.now(), pending_.front().at));
        if (lineFailsAt) until = std::min(until, std::max(clock_.now(), *lineFailsAt));
        clock_.sleepUntil(until);
        if (lineFailsAt && clock_.now() >= *lineFailsAt) open_ = false;
        if (!open_ || pending_.empty() || pending_.front().at > clock_.now()) return {};
        Bytes piece = std::move(pending_.front().bytes);
        pending_.pop_front();
        return piece;
    }
    void discardInput() override {
        while (!pending_.empty() && pending_.front().at <= clock_.now()) pending_.pop_front();
    }
    void setRts(bool on) override {
        if (on != rts) rtsChanges.emplace_back(clock_.now(), on);
        rts = on;
    }
    bool cts() override { return ctsAt ? ctsAt(clock_.now()) : ctsOn; }

    bool rts = false;

  private:
    struct Piece {
        Bytes bytes;
        Micros at;  // when it has arrived
    };

    Clock& clock_;
    Script script_;
    std::deque<Piece> pending_;
};

// Passes everything on to another port and keeps every write.
class TappedPort final : public ForwardingPort {
  public:
    using ForwardingPort::ForwardingPort;

    std::vector<Bytes> writes;

    PortError write(std::span<const std::uint8_t> bytes) override {
        writes.emplace_back(bytes.begin(), bytes.end());
        return ForwardingPort::write(bytes);
    }
};

}  // namespace rq::test
