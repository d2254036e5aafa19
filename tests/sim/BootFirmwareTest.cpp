#include <gtest/gtest.h>

#include <random>

#include "DeviceBench.h"

namespace rq::sim {
namespace {

using namespace std::chrono_literals;
const Bytes kParameterError = {0x02, 0x01, 0x05, 0xFA, 0x03};
// Programming of the first two blocks only, 000000h to 0001FFh.
const Bytes kWriteTwoBlocks = {0x01, 0x07, 0x40, 0x00, 0x00, 0x00, 0x00, 0x01, 0xFF, 0xB9, 0x03};

class BootFirmwareTest : public DeviceBench {
  protected:
    void SetUp() override { powerOn(true); }
};

TEST_F(BootFirmwareTest, AnswersOnlyOnceWokenUp) {
    const std::pair<const char*, bool> cases[] = {
        // what the computer does, whether a reset is answered
        {"dtr+ rts+ 150 x00 x00", true},
        {"dtr+ 2 rts+ 149 x00 7 x00 7", false},
        {"rts+ 2 dtr+ 150 x00 7 x00 7", false},
        {"dtr+ 2 rts+ 150 x00 7", false},
        {"dtr+ 2 rts+ 150 xFF x00 x00", false},
        {"dtr+ 2 rts+ 100 dtr- dtr+ 50 x00 7 x00 7", false},
        {"dtr+ 2 rts+ 150 replug x00 7 x00 7", false},  // both lines come on at once
        // A spoiled wake-up can be done again.
        {"dtr+ 2 rts+ 100 x00 x00 rts- 2 rts+ 150 x00 7 x00 7", true},
    };
    for (const auto& [script, answers] : cases) {
        SCOPED_TRACE(script);
        powerOn(true);
        device->setPower(false);
        device->setPower(true);  // asleep again, with both lines still on
        port->setRts(false);
        port->setDtr(false);
        perform(script);
        EXPECT_EQ(ask(kReset), answers ? kAck : Bytes{});
    }
}

TEST_F(BootFirmwareTest, AnswersAt9600TheFramesItFindsBehindAnything) {
    EXPECT_FALSE(port->dsr());
    Bytes unasked = dataFrame(0x11, true);
    unasked.insert(unasked.end(), kReset.begin(), kReset.end());
    const std::tuple<const char*, Bytes, Bytes> cases[] = {
        // the request and its answer
        {"wrong SUM", {0x01, 0x01, 0x00, 0xFE, 0x03}, {0x02, 0x01, 0x07, 0xF8, 0x03}},
        {"unknown command", {0x01, 0x01, 0x55, 0xAA, 0x03}, kParameterError},
        {"unknown speed code", {0x01, 0x02, 0x9A, 0x09, 0x5B, 0x03}, kParameterError},
        {"range past the flash",
         {0x01, 0x07, 0x40, 0x00, 0x00, 0x00, 0x02, 0x00, 0xFF, 0xB8, 0x03},
         kParameterError},
        {"range not of whole blocks",
         {0x01, 0x07, 0x13, 0x00, 0x00, 0x10, 0x00, 0x01, 0xFF, 0xD6, 0x03},
         kParameterError},
        {"wake-up bytes and noise", {0x00, 0x00, 0xFF, 0x17, 0x03, 0x01, 0x01, 0x00, 0xFF, 0x03}, kAck},
        // SOH with LEN 4 ends on 00h: the reset inside it is the frame.
        {"a false start", {0x01, 0x04, 0x01, 0x01, 0x00, 0xFF, 0x03, 0x00}, kAck},
        {"a data frame nobody asked for", unasked, kAck},
    };
    for (const auto& [name, request, answer] : cases) EXPECT_EQ(ask(request), answer) << name;
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

TEST_F(BootFirmwareTest, RefusesADataFrameWithAWrongSumAndTakesItAgain) {
    EXPECT_EQ(ask(kWriteTwoBlocks), kAck);
    Bytes badSum = dataFrame(0x5A, false);
    badSum[258] ^= 0x01;
    EXPECT_EQ(ask(badSum, 6), (Bytes{0x02, 0x02, 0x07, 0x07, 0xF0, 0x03}));
    EXPECT_EQ(ask(dataFrame(0x5A, false), 6), kBlockAck);
    // The last block's status, then the final one.
    EXPECT_EQ(ask(dataFrame(0xA5, true), 11),
              (Bytes{0x02, 0x02, 0x06, 0x06, 0xF2, 0x03, 0x02, 0x01, 0x06, 0xF9, 0x03}));
    EXPECT_EQ(device->memory().flash[0], 0x5A);
    EXPECT_EQ(device->memory().flash[511], 0xA5);
}

// A reset sent at a multiple of 16 ms, just after the adapter's timer ran out, is answered 0.2 ms later;
// the adapter holds that answer until its timer runs out again, after the fault's 1 ms, not the option's.
TEST_F(BootFirmwareTest, TheAdapterLatencyOfTheFaultOverThatOfTheOptions) {
    RqSystemOptions options = test::instantSystem({"latency=1"});
    options.adapterLatency = 16ms;
    powerOn(true, options);
    clock.sleepUntil(1600ms);
    EXPECT_EQ(ask(kReset), kAck);
    EXPECT_EQ(clock.now(), 1601ms);
}

}  // namespace
}  // namespace rq::sim
