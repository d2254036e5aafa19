#include <gtest/gtest.h>

#include <deque>

#include "core/flash/FlashFrames.h"
#include "core/wizard/DeviceSteps.h"
#include "sim/FirmwareGenerator.h"
#include "sim/VirtualClock.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

const Bytes kAck = {0x02, 0x01, 0x06, 0xF9, 0x03};
const Bytes kNack = {0x02, 0x01, 0x15, 0xEA, 0x03};
const Bytes kBlockAck = {0x02, 0x02, 0x06, 0x06, 0xF2, 0x03};
const Bytes kReset = {0x01, 0x01, 0x00, 0xFF, 0x03};

// A boot firmware played from a script: each read returns the next reply, or nothing once the script
// has run out. It records what the sequence did, and when.
class ScriptedPort final : public Port {
  public:
    explicit ScriptedPort(Clock& clock) : clock_(clock) {}

    std::deque<Bytes> replies;
    int dsrOnReads = 0;  // DSR reads on this often before it goes off
    bool writesFail = false;

    std::vector<Bytes> writes;
    std::vector<Micros> writeTimes;
    std::vector<Micros> readTimeouts;
    std::vector<std::string> settingsLog;
    std::vector<std::pair<std::string, Micros>> lineLog;
    int dsrReads = 0;

    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    std::string deviceName(int) const override { return "scripted"; }
    PortError setSettings(const std::string& text) override {
        settingsLog.push_back(text);
        return PortError::None;
    }
    std::string settings() const override { return settingsLog.empty() ? "" : settingsLog.back(); }
    PortError setFlowControl(FlowControl) override { return PortError::None; }
    FlowControl flowControl() const override { return FlowControl::None; }
    PortError open() override {
        open_ = true;
        return PortError::None;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    PortError write(std::span<const std::uint8_t> bytes) override {
        if (writesFail) return PortError::Io;
        writes.emplace_back(bytes.begin(), bytes.end());
        writeTimes.push_back(clock_.now());
        return PortError::None;
    }
    std::vector<std::uint8_t> read(std::size_t, Micros timeout) override {
        readTimeouts.push_back(timeout);
        if (replies.empty()) {
            clock_.sleep(timeout);
            return {};
        }
        Bytes reply = replies.front();
        replies.pop_front();
        return reply;
    }
    void discardInput() override {}
    void discardOutput() override {}
    void setRts(bool on) override { lineLog.emplace_back(on ? "RTS on" : "RTS off", clock_.now()); }
    void setDtr(bool on) override { lineLog.emplace_back(on ? "DTR on" : "DTR off", clock_.now()); }
    bool cts() override { return true; }
    bool dsr() override { return ++dsrReads <= dsrOnReads; }

  private:
    Clock& clock_;
    int number_ = 1;
    bool open_ = false;
};

// The statuses of a device that accepts everything, in the order the sequence reads them.
std::deque<Bytes> acceptingDevice() {
    std::deque<Bytes> replies = {kAck, kAck, kAck, kAck, kAck};  // reset, clock, reset, erase, write
    replies.insert(replies.end(), 512, kBlockAck);
    replies.insert(replies.end(), {kAck, kAck, kAck, kAck, kAck});  // final, security x3, verify
    replies.insert(replies.end(), 512, kBlockAck);
    return replies;
}

class FlashSequenceTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    ScriptedPort port{clock};
    test::RecordingView view;
    WizardState state;
    StepContext context{state, port, clock, view};

    void SetUp() override {
        state.firmware.contents = sim::generateFirmware({});
        state.firmware.length = state.firmware.contents.size();
        state.firmware.valid = true;
    }
    void run(std::deque<Bytes> replies) {
        port.replies = std::move(replies);
        subStep5FwUpdate(context);
    }
    Bytes imageBlockFrame(int block) const {
        return dataFrame((*state.image)[static_cast<std::size_t>(block)], block == 511);
    }
};

TEST_F(FlashSequenceTest, WritesEveryFrameInOrder) {
    run(acceptingDevice());
    EXPECT_EQ(state.programmingResult, 0);
    EXPECT_EQ(state.LinkError, 0);
    ASSERT_EQ(port.writes.size(), 2u + 6u + 512u + 3u + 512u);
    EXPECT_EQ(port.writes[0], Bytes{0x00});
    EXPECT_EQ(port.writes[1], Bytes{0x00});
    EXPECT_EQ(port.writes[2], kReset);
    EXPECT_EQ(port.writes[3], (Bytes{0x01, 0x05, 0x90, 0x04, 0x09, 0x01, 0x04, 0x59, 0x03}));
    EXPECT_EQ(port.writes[4], (Bytes{0x01, 0x02, 0x9A, 0x06, 0x5E, 0x03}));
    EXPECT_EQ(port.writes[5], kReset);
    EXPECT_EQ(port.writes[6], (Bytes{0x01, 0x01, 0x20, 0xDF, 0x03}));
    EXPECT_EQ(port.writes[7], (Bytes{0x01, 0x07, 0x40, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xBA, 0x03}));
    for (int block = 0; block < 512; ++block) {
        ASSERT_EQ(port.writes[8 + static_cast<std::size_t>(block)], imageBlockFrame(block)) << block;
        ASSERT_EQ(port.writes[523 + static_cast<std::size_t>(block)], imageBlockFrame(block)) << block;
    }
    EXPECT_EQ(port.writes[8][259], 0x17);
    EXPECT_EQ(port.writes[519][259], 0x03);
    EXPECT_EQ(port.writes[520], (Bytes{0x01, 0x03, 0xA0, 0x00, 0x00, 0x5D, 0x03}));
    EXPECT_EQ(port.writes[521], (Bytes{0x02, 0x02, 0xF7, 0x00, 0x07, 0x03}));
    EXPECT_EQ(port.writes[522], (Bytes{0x01, 0x07, 0x13, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xFF, 0xE7, 0x03}));
    EXPECT_EQ(port.settingsLog, (std::vector<std::string>{"9600,N,8,1", "38400,N,8,1"}));
    EXPECT_TRUE(port.replies.empty());
    EXPECT_FALSE(port.isOpen());
}

TEST_F(FlashSequenceTest, ConnectRaisesTheLinesThenWakesTheDevice) {
    run(acceptingDevice());
    ASSERT_GE(port.lineLog.size(), 4u);
    // Port preparation turns both off; then DTR, 2 ms, RTS, 150 ms, 00h, 7 ms, 00h, 7 ms, 1 ms, reset.
    EXPECT_EQ(port.lineLog[0].first, "RTS off");
    EXPECT_EQ(port.lineLog[1].first, "DTR off");
    EXPECT_EQ(port.lineLog[2].first, "DTR on");
    EXPECT_EQ(port.lineLog[3].first, "RTS on");
    const Micros dtrOn = port.lineLog[2].second;
    EXPECT_EQ(port.lineLog[3].second - dtrOn, 2ms);
    EXPECT_EQ(port.writeTimes[0] - dtrOn, 152ms);
    EXPECT_EQ(port.writeTimes[1] - dtrOn, 159ms);
    EXPECT_EQ(port.writeTimes[2] - dtrOn, 167ms);
    EXPECT_EQ(port.dsrReads, 1);
}

TEST_F(FlashSequenceTest, TimeoutsIncludeTheFramesOwnLineTime) {
    struct Case {
        std::uint8_t speedIndex;
        Micros resetAtSpeed;
        Micros writeBlock;
        Micros verifyBlock;
    };
    // 10 bits a byte: a 5-byte reset, a 260-byte data frame, at the programming speed, rounded up.
    const Case cases[] = {
        {0, 3000ms + 5209us, 318ms + 270834us, 100ms + 270834us},
        {1, 3000ms + 2605us, 318ms + 135417us, 100ms + 135417us},
        {3, 3000ms + 1303us, 318ms + 67709us, 100ms + 67709us},
        {5, 3000ms + 326us, 318ms + 16928us, 100ms + 16928us},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.speedIndex});
        port.readTimeouts.clear();
        state.commSettings.UpBaudrateIndex = c.speedIndex;
        run(acceptingDevice());
        ASSERT_EQ(state.LinkError, 0);
        ASSERT_EQ(port.readTimeouts.size(), 1034u);        // as many statuses as acceptingDevice() holds
        EXPECT_EQ(port.readTimeouts[0], 3000ms + 5209us);  // the first reset, at 9600
        EXPECT_EQ(port.readTimeouts[1], 3000ms + 9375us);  // the clock setting, 9 bytes
        EXPECT_EQ(port.readTimeouts[2], c.resetAtSpeed);
        EXPECT_EQ(port.readTimeouts[5], c.writeBlock);
        EXPECT_EQ(port.readTimeouts[517], 1088ms);  // the final status follows a status, not a frame
        EXPECT_EQ(port.readTimeouts[520], 4193ms);
        EXPECT_EQ(port.readTimeouts[522], c.verifyBlock);
    }
}

TEST_F(FlashSequenceTest, JudgedFailures) {
    struct Case {
        const char* name;
        std::deque<Bytes> replies;
        std::uint8_t result;
        std::uint8_t linkError;
        std::size_t writes;
    };
    const Bytes lenPastFrame = {0x02, 0x09, 0x06, 0xF1, 0x03};
    const Bytes status00 = {0x02, 0x01, 0x00, 0xFF, 0x03};
    std::deque<Bytes> seventeenBad(17, lenPastFrame);
    std::deque<Bytes> nackAfterSpeedSwitch = {kAck, kAck};
    nackAfterSpeedSwitch.insert(nackAfterSpeedSwitch.end(), 17, kNack);
    const Case cases[] = {
        {"LEN past the frame at the clock setting", {kAck, lenPastFrame}, 7, 34, 4},
        {"LEN past the frame at every reset", seventeenBad, 32, 32, 2 + 17},
        {"status 00h at the clock setting", {kAck, status00}, 37, 34, 4},
        {"17 NACKs after the speed switch", nackAfterSpeedSwitch, 32, 32, 5 + 17},
        {"erase refused", {kAck, kAck, kAck, {0x02, 0x01, 0x1A, 0xE5, 0x03}}, 0x1A, 35, 7},
        {"a reply cut short", {kAck, {0x02, 0x01, 0x06}}, 31, 33, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.writes.clear();
        state.LinkError = 0;
        run(c.replies);
        EXPECT_EQ(state.programmingResult, c.result);
        EXPECT_EQ(state.LinkError, c.linkError);
        EXPECT_EQ(port.writes.size(), c.writes);
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(FlashSequenceTest, BaudRateStageHasItsOwnSixteenResends) {
    std::deque<Bytes> replies = acceptingDevice();
    replies.insert(replies.begin() + 2, 16, kNack);  // the reset at the new speed
    run(replies);
    EXPECT_EQ(state.programmingResult, 0);
    EXPECT_EQ(state.LinkError, 0);
}

TEST_F(FlashSequenceTest, StatusFramesAreCutToTheirLengthAndTheirMarkersIgnored) {
    std::deque<Bytes> replies = acceptingDevice();
    replies[0] = {0x02, 0x01, 0x06, 0xF9, 0x03, 0xFF, 0x02};  // more than the status frame
    replies[1] = {0x7E, 0x01, 0x06, 0xF9, 0x7E};              // wrong STX and ETX, right SUM
    run(replies);
    EXPECT_EQ(state.LinkError, 0);
}

// A device may send the status that follows another right behind it, so that one read brings both.
TEST_F(FlashSequenceTest, FurtherStatusInTheSameReadIsKept) {
    std::deque<Bytes> replies = acceptingDevice();
    const auto joined = [&](std::size_t first) {
        replies[first].insert(replies[first].end(), replies[first + 1].begin(), replies[first + 1].end());
        replies.erase(replies.begin() + static_cast<std::ptrdiff_t>(first) + 1);
    };
    joined(519);  // the security data's two statuses
    joined(516);  // block 511's status and the final write status
    run(replies);
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_TRUE(port.replies.empty());
}

TEST_F(FlashSequenceTest, SurplusIsDroppedWhenTheNextFrameIsSent) {
    std::deque<Bytes> replies = acceptingDevice();
    replies[1].insert(replies[1].end(), kNack.begin(), kNack.end());  // behind the clock setting's ACK
    run(replies);
    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.writes.size(), 1035u);  // no resend of the reset at the new speed
}

TEST_F(FlashSequenceTest, DsrReleasedOnTheLastRead) {
    port.dsrOnReads = 100;
    run(acceptingDevice());
    EXPECT_EQ(port.dsrReads, 101);
    EXPECT_EQ(state.LinkError, 0);
}

TEST_F(FlashSequenceTest, DsrHeldFailsBeforeAnyByteIsWritten) {
    port.dsrOnReads = 1000;
    const Micros start = clock.now();
    run(acceptingDevice());
    EXPECT_EQ(state.programmingResult, 126);
    EXPECT_EQ(state.LinkError, 31);
    EXPECT_EQ(port.dsrReads, 101);
    EXPECT_EQ(clock.now() - start, 100ms);  // a 1 ms yield between reads
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(port.lineLog.size(), 4u);  // off before and after, never on
}

TEST_F(FlashSequenceTest, PortThatCannotWriteIsAnOtherFailure) {
    port.writesFail = true;
    run(acceptingDevice());
    EXPECT_EQ(state.programmingResult, 37);
    EXPECT_EQ(state.LinkError, 30);
}

TEST_F(FlashSequenceTest, SpeedIndexOutsideTheListIsAnOtherFailure) {
    state.commSettings.UpBaudrateIndex = 6;
    run(acceptingDevice());
    EXPECT_EQ(state.programmingResult, 37);
    EXPECT_EQ(state.LinkError, 30);
    EXPECT_EQ(port.writes.size(), 4u);  // nothing after the clock setting
}

}  // namespace
}  // namespace rq
