#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "BootFrames.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/InstantSystem.h"

namespace rq::sim {
namespace {

using namespace std::chrono_literals;
const Bytes kNack = {0x02, 0x01, 0x15, 0xEA, 0x03};
const Bytes kBlockAck = {0x02, 0x02, 0x06, 0x06, 0xF2, 0x03};
// Programming and verify of the first two blocks only, 000000h to 0001FFh.
const Bytes kWriteTwoBlocks = {0x01, 0x07, 0x40, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xB9, 0x03};
const Bytes kVerifyTwoBlocks = {0x01, 0x07, 0x13, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xE6, 0x03};

Bytes dataFrame(std::uint8_t fill, bool last) {
    Bytes frame = {0x02, 0x00};
    frame.insert(frame.end(), 256, fill);
    frame.push_back(static_cast<std::uint8_t>(-(fill * 256)));  // LEN 00h adds nothing
    frame.push_back(last ? 0x03 : 0x17);
    return frame;
}

class BootFirmwareTest : public ::testing::Test {
  protected:
    VirtualClock clock;
    std::unique_ptr<SimDevice> device;
    std::unique_ptr<SimPort> port;

    void powerOn(std::initializer_list<const char*> faults = {}, bool instantLine = true) {
        RqSystemOptions options;
        for (const char* fault : faults) ASSERT_EQ(options.faults.add(fault), std::nullopt) << fault;
        options.instantLine = instantLine;
        powerOn(options);
    }
    void powerOn(const RqSystemOptions& options) {
        device = makeRqSystem(clock, options);
        device->setFwSwitch(true);
        device->setPower(true);
        port = std::make_unique<SimPort>(*device);
        ASSERT_EQ(port->setSettings("9600,N,8,1"), PortError::None);
        ASSERT_EQ(port->open(), PortError::None);
        wakeUp();
    }
    void SetUp() override { powerOn(); }

    // The wake-up the boot firmware waits for, in words: "dtr+", "rts-", a wait in ms such as "150",
    // a byte such as "x00", and "replug" for a cable pulled and plugged back before the port opens again.
    void perform(const std::string& script) {
        std::istringstream words(script);
        for (std::string word; words >> word;) {
            if (word == "dtr+" || word == "dtr-") {
                port->setDtr(word.back() == '+');
            } else if (word == "rts+" || word == "rts-") {
                port->setRts(word.back() == '+');
            } else if (word == "replug") {
                port->unplug();
                port->plug();
                ASSERT_EQ(port->open(), PortError::None);
            } else if (word.front() == 'x') {
                port->write(Bytes{static_cast<std::uint8_t>(std::stoi(word.substr(1), nullptr, 16))});
            } else {
                clock.sleep(Millis(std::stoi(word)));
            }
        }
    }
    void wakeUp() { perform("dtr+ 2 rts+ 150 x00 7 x00 7"); }

    // What the device answers within a second.
    Bytes ask(const Bytes& request, std::size_t answerSize = 5) {
        port->write(request);
        return port->read(answerSize, 1s);
    }
};

TEST_F(BootFirmwareTest, StartsAt9600AndAnswersReset) {
    EXPECT_EQ(device->deviceLineSettings(), (LineSettings{9600, Parity::None, 8, StopBits::One}));
    EXPECT_FALSE(port->dsr());
    EXPECT_EQ(ask(kReset), kAck);
}

TEST_F(BootFirmwareTest, AnswersOnlyOnceWokenUp) {
    struct Case {
        const char* script;
        bool answers;
    };
    const Case cases[] = {
        {"dtr+ 2 rts+ 150 x00 7 x00 7", true},
        {"dtr+ rts+ 150 x00 x00", true},
        {"dtr+ 2 rts+ 500 x00 7 x00 7", true},
        {"", false},
        {"dtr+ 2 rts+ 149 x00 7 x00 7", false},
        {"rts+ 2 dtr+ 150 x00 7 x00 7", false},
        {"dtr+ 2 rts+ 150 x00 7", false},
        {"dtr+ 2 rts+ 150 xFF x00 x00", false},
        {"dtr+ 2 rts+ 100 dtr- dtr+ 50 x00 7 x00 7", false},
        {"dtr+ 2 rts+ 150 x00 rts- rts+ x00", false},
        {"dtr+ 2 rts+ 150 replug x00 7 x00 7", false},
        // A spoiled wake-up can be done again.
        {"dtr+ 2 rts+ 100 x00 x00 rts- 2 rts+ 150 x00 7 x00 7", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        powerOn();
        device->setPower(false);
        device->setPower(true);  // asleep again, with both lines still on
        port->setRts(false);
        port->setDtr(false);
        perform(c.script);
        EXPECT_EQ(ask(kReset), c.answers ? kAck : Bytes{});
    }
}

TEST_F(BootFirmwareTest, CommandAnswers) {
    struct Case {
        const char* name;
        Bytes request;
        Bytes answer;
    };
    const Case cases[] = {
        {"clock setting", {0x01, 0x05, 0x90, 0x04, 0x09, 0x01, 0x04, 0x59, 0x03}, kAck},
        {"chip erase", {0x01, 0x01, 0x20, 0xDF, 0x03}, kAck},
        {"wrong SUM", {0x01, 0x01, 0x00, 0xFE, 0x03}, {0x02, 0x01, 0x07, 0xF8, 0x03}},
        {"unknown command", {0x01, 0x01, 0x55, 0xAA, 0x03}, {0x02, 0x01, 0x05, 0xFA, 0x03}},
        {"unknown speed code", {0x01, 0x02, 0x9A, 0x09, 0x5B, 0x03}, {0x02, 0x01, 0x05, 0xFA, 0x03}},
        {"range past the flash",
         {0x01, 0x07, 0x40, 0x00, 0x00, 0x00, 0x02, 0x00, 0xFF, 0xB8, 0x03},
         {0x02, 0x01, 0x05, 0xFA, 0x03}},
        {"range not of whole blocks",
         {0x01, 0x07, 0x13, 0x00, 0x00, 0x10, 0x00, 0x01, 0xFF, 0xD6, 0x03},
         {0x02, 0x01, 0x05, 0xFA, 0x03}},
        {"security set", {0x01, 0x03, 0xA0, 0x00, 0x00, 0x5D, 0x03}, kAck},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ask(c.request), c.answer);
    }
}

TEST_F(BootFirmwareTest, FindsTheFrameBehindGarbage) {
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"wake-up bytes and noise", {0x00, 0x00, 0xFF, 0x17, 0x03, 0x01, 0x01, 0x00, 0xFF, 0x03}},
        // SOH with LEN 4 ends on 00h: the reset inside it is the frame.
        {"a false start", {0x01, 0x04, 0x01, 0x01, 0x00, 0xFF, 0x03, 0x00}},
        {"a data frame nobody asked for",
         [] {
             Bytes bytes = dataFrame(0x11, true);
             bytes.insert(bytes.end(), kReset.begin(), kReset.end());
             return bytes;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ask(c.bytes), kAck);
    }
}

TEST_F(BootFirmwareTest, RandomBytesNeverStopItAnswering) {
    std::mt19937 random(7);
    Bytes garbage(20'000);
    for (std::uint8_t& byte : garbage) byte = static_cast<std::uint8_t>(random());
    port->write(garbage);
    port->write(Bytes(300, 0x00));  // whatever frame was begun ends here, wrongly
    port->read(1'000'000, 1s);
    EXPECT_EQ(ask(kReset), kAck);
}

TEST_F(BootFirmwareTest, SwitchesSpeedWithoutAnswering) {
    EXPECT_EQ(ask({0x01, 0x02, 0x9A, 0x08, 0x5C, 0x03}), Bytes{});
    EXPECT_EQ(device->deviceLineSettings().baud, 153600u);
    EXPECT_NE(ask(kReset), kAck);  // still at 9600 on the computer's side
    port->read(100, 10ms);
    ASSERT_EQ(port->setSettings("153600,N,8,1"), PortError::None);
    EXPECT_EQ(ask(kReset), kAck);
}

TEST_F(BootFirmwareTest, EraseTakesItsTimeAndClearsTheFlash) {
    const Micros start = clock.now();
    EXPECT_EQ(ask({0x01, 0x01, 0x20, 0xDF, 0x03}), kAck);
    EXPECT_GE(clock.now() - start, DeviceTimings{}.chipErase);
    const DeviceMemory memory = device->memory();
    EXPECT_TRUE(
        std::all_of(memory.flash.begin(), memory.flash.end(), [](std::uint8_t b) { return b == 0xFF; }));
}

TEST_F(BootFirmwareTest, WritesVerifiesAndSetsSecurity) {
    EXPECT_EQ(ask(kWriteTwoBlocks), kAck);
    Bytes badSum = dataFrame(0x5A, false);
    badSum[258] ^= 0x01;
    EXPECT_EQ(ask(badSum, 6), (Bytes{0x02, 0x02, 0x07, 0x07, 0xF0, 0x03}));
    EXPECT_EQ(ask(dataFrame(0x5A, false), 6), kBlockAck);
    // The last block's status, then the final one.
    EXPECT_EQ(ask(dataFrame(0xA5, true), 11),
              (Bytes{0x02, 0x02, 0x06, 0x06, 0xF2, 0x03, 0x02, 0x01, 0x06, 0xF9, 0x03}));
    EXPECT_EQ(ask(dataFrame(0x33, true), 6), Bytes{});  // the transfer is over
    const DeviceMemory memory = device->memory();
    EXPECT_EQ(memory.flash[0], 0x5A);
    EXPECT_EQ(memory.flash[511], 0xA5);
    EXPECT_EQ(memory.flash[512], 0xFF);

    EXPECT_EQ(ask(kVerifyTwoBlocks), kAck);
    EXPECT_EQ(ask(dataFrame(0x5A, false), 6), kBlockAck);
    EXPECT_EQ(ask(dataFrame(0xA4, true), 6), (Bytes{0x02, 0x02, 0x06, 0x0F, 0xE9, 0x03}));
    EXPECT_EQ(port->read(1, 100ms), Bytes{});  // nothing after the last verified block

    EXPECT_EQ(ask({0x01, 0x03, 0xA0, 0x00, 0x00, 0x5D, 0x03}), kAck);
    EXPECT_EQ(ask({0x02, 0x02, 0xF7, 0x00, 0x07, 0x03}, 10),
              (Bytes{0x02, 0x01, 0x06, 0xF9, 0x03, 0x02, 0x01, 0x06, 0xF9, 0x03}));
    EXPECT_TRUE(device->memory().securitySet);
}

TEST_F(BootFirmwareTest, FaultsThatStrikeOnce) {
    const Bytes ofs = {0x01, 0x05, 0x90, 0x04, 0x09, 0x01, 0x04, 0x59, 0x03};
    powerOn({"reset-nack=2", "bad-sum=ofs"});
    EXPECT_EQ(ask(kReset), kNack);
    EXPECT_EQ(ask(kReset), kNack);
    EXPECT_EQ(ask(kReset), kAck);
    EXPECT_EQ(ask(ofs), (Bytes{0x02, 0x01, 0x06, 0xFA, 0x03}));
    EXPECT_EQ(ask(ofs), kAck);
}

TEST_F(BootFirmwareTest, PowerLossKeepsHalfTheBlock) {
    powerOn({"power-off-at-block=1"});
    ask(kWriteTwoBlocks);
    ask(dataFrame(0x11, false), 6);
    EXPECT_EQ(ask(dataFrame(0x22, true), 6), Bytes{});
    EXPECT_FALSE(device->powered());
    const DeviceMemory memory = device->memory();
    EXPECT_EQ(memory.flash[256 + 127], 0x22);
    EXPECT_EQ(memory.flash[256 + 128], 0xFF);
}

TEST_F(BootFirmwareTest, AnswersOnTheTimedLineAfterItsOwnTime) {
    powerOn({}, false);
    port->read(2, 10ms);  // the wake-up bytes' line time
    const Micros start = clock.now();
    EXPECT_EQ(ask(kReset), kAck);
    // 5 bytes each way at 9600 bit/s, 10 bits a byte, rounded up to whole µs, and the device's reply time.
    EXPECT_EQ(clock.now() - start, 2 * 5209us + DeviceTimings{}.reply);
}

// A reset sent at a multiple of 1.2 s, just after the adapter's timer ran out, is answered 0.2 ms later;
// the adapter holds that answer until its timer runs out again.
TEST_F(BootFirmwareTest, AdapterLatencyFromTheOptionsOrTheFault) {
    struct Case {
        const char* name;
        Millis option;
        std::vector<const char*> faults;
        Micros replyAfter;
    };
    const Case cases[] = {
        {"plain port", 0ms, {}, DeviceTimings{}.reply},
        {"16 ms adapter", 16ms, {}, 16ms},
        {"the fault over the option", 16ms, {"latency=1"}, 1ms},
    };
    Micros sent = 0s;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RqSystemOptions options = test::instantSystem(c.faults);
        options.adapterLatency = c.option;
        powerOn(options);
        sent += 1200ms;  // a multiple of both latencies: the timer has just run out
        clock.sleepUntil(sent);
        EXPECT_EQ(ask(kReset), kAck);
        EXPECT_EQ(clock.now() - sent, c.replyAfter);
    }
}

}  // namespace
}  // namespace rq::sim
