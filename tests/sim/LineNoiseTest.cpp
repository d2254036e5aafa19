#include <gtest/gtest.h>

#include <bit>

#include "DeviceBench.h"
#include "sim/LineNoise.h"

namespace rq::sim {
namespace {

using namespace std::chrono_literals;
// A read of the access mode, and the device's answer in mode 0.
const Bytes kAccessModeRead = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x7F, 0x00};
const Bytes kAccessModeAnswer = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x01, 0x00, 0x7E};

Bytes passAll(NoiseSource& source, const LineNoise& noise, const Bytes& sent) {
    Bytes received;
    for (const std::uint8_t byte : sent) {
        const Arrival arrival = source.pass(byte, noise);
        received.insert(received.end(), arrival.received().begin(), arrival.received().end());
    }
    return received;
}

TEST(LineNoiseTest, EachKindAtCertainty) {
    using Fits = bool (*)(std::uint8_t sent, std::span<const std::uint8_t> received);
    const std::tuple<const char*, LineNoise, Fits> cases[] = {
        {"flip",
         {.flip = 1},
         [](auto sent, auto got) { return got.size() == 1 && std::popcount(unsigned(got[0] ^ sent)) == 1; }},
        {"drop", {.drop = 1}, [](auto, auto got) { return got.empty(); }},
        {"duplicate",
         {.duplicate = 1},
         [](auto sent, auto got) { return got.size() == 2 && got[0] == sent && got[1] == sent; }},
        {"insert", {.insert = 1}, [](auto sent, auto got) { return got.size() == 2 && got[1] == sent; }},
    };
    for (const auto& [name, noise, fits] : cases) {
        SCOPED_TRACE(name);
        NoiseSource source(7);
        for (int byte = 0; byte < 256; ++byte) {
            const Arrival arrival = source.pass(static_cast<std::uint8_t>(byte), noise);
            EXPECT_TRUE(fits(static_cast<std::uint8_t>(byte), arrival.received())) << byte;
        }
    }
}

TEST(LineNoiseTest, TheSeedDecidesWhereFaultsStrikeAndTheRateHowOften) {
    const Bytes sent(100'000, 0x55);
    const LineNoise noise = spreadNoise(0.01);
    NoiseSource first(3), again(3), other(4);
    const Bytes received = passAll(first, noise, sent);
    EXPECT_EQ(passAll(again, noise, sent), received);
    EXPECT_NE(passAll(other, noise, sent), received);

    // About one byte in a hundred, split evenly: a thousand flipped and a thousand more dropped.
    NoiseSource source(5);
    const LineNoise spread = spreadNoise(0.04);
    const Bytes flipped = passAll(source, {.flip = spread.flip}, sent);
    EXPECT_NEAR(std::count(flipped.begin(), flipped.end(), 0x55), 99'000, 150);
    EXPECT_NEAR(passAll(source, {.drop = spread.drop}, sent).size(), 99'000, 150);
}

class NoisyDeviceTest : public DeviceBench {
  protected:
    // The wake-up's bytes meet the noise like any other.
    bool answers(bool programming) {
        port->write(programming ? kReset : kAccessModeRead);
        return port->read(11, 1s) == (programming ? kAck : kAccessModeAnswer);
    }
};

TEST_F(NoisyDeviceTest, NoiseStrikesInTheModesItIsAskedFor) {
    struct Case {
        bool normalMode, programmingMode, deviceProgramming, answered;
    };
    const Case cases[] = {{true, false, false, false},
                          {true, false, true, true},
                          {false, true, false, true},
                          {false, true, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.normalMode << c.programmingMode << c.deviceProgramming);
        RqSystemOptions options;  // a line that takes its time
        options.noise = {.drop = 1, .normalMode = c.normalMode, .programmingMode = c.programmingMode};
        powerOn(c.deviceProgramming, options);
        EXPECT_EQ(answers(c.deviceProgramming), c.answered);
    }
}

TEST_F(NoisyDeviceTest, TheNoiseFaultSetsTheRate) {
    for (const auto& [fault, answered] : {std::pair{"noise=0", true}, std::pair{"noise=1", false}}) {
        RqSystemOptions options;  // a line that takes its time
        ASSERT_EQ(options.faults.add(fault), std::nullopt);
        powerOn(true, options);
        EXPECT_EQ(answers(true), answered) << fault;
    }
}

}  // namespace
}  // namespace rq::sim
