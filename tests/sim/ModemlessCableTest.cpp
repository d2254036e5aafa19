#include <gtest/gtest.h>

#include "DeviceBench.h"
#include "sim/ModemlessCable.h"

namespace rq::sim {
namespace {

using namespace std::chrono_literals;
const Bytes kReadVersion = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00, 0x05, 0x00};
const Bytes kVersionAnswer = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x05};  // how the answer starts

Bytes part(const Bytes& bytes, std::size_t from, std::size_t to) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}

struct Arrival {
    Micros after;  // the quiet before it
    Bytes bytes;
};

TEST(ModemlessCableTest, TheWakeUpAndTheFramesWorkThePanelAsTheComputerAsks) {
    const Bytes data = dataFrame(0xFF, false);
    const std::vector<Arrival> wakeUp = {{200ms, {0x00}}, {7ms, {0x00}}, {7ms, kReset}};
    const std::vector<Arrival> burst = {{200ms, kReadVersion}, {20ms, kReadVersion}};
    const std::vector<Arrival> lone00 = {{200ms, {0x00}}, {7ms, kReadVersion}};
    // FFh inside a boot frame, even at the start of a read, is no normal-mode frame.
    const std::vector<Arrival> dataFrame = {
        {200ms, {0x00, 0x00}}, {7ms, kReset}, {2ms, part(data, 0, 100)}, {1ms, part(data, 100, data.size())}};
    const struct {
        const char* name;
        bool autoPanel;
        bool startInProgramming;
        std::vector<Arrival> arrivals;
        bool endsInProgramming;
        Bytes lastAnswerStart;  // of what the device sent after the last arrival
        int notes;
    } cases[] = {
        {"the wake-up switches to programming mode", true, false, wakeUp, true, kAck, 1},
        {"without the automatic panel the device stays as it is", false, false, wakeUp, false, {}, 0},
        {"00h bytes inside a burst are no wake-up", true, false, burst, false, kVersionAnswer, 0},
        {"a lone 00h goes on to the device", true, false, lone00, false, kVersionAnswer, 0},
        {"a normal-mode frame switches back", true, true, {{1ms, kReadVersion}}, false, kVersionAnswer, 1},
        {"a data frame stays in programming mode", true, false, dataFrame, true, {}, 1},
    };
    for (const auto& c : cases) {
        VirtualClock clock;
        const auto device = makeRqSystem(clock, test::instantSystem());
        device->setFwSwitch(c.startInProgramming);
        device->setPower(true);
        int notes = 0;
        ModemlessCable cable(*device, c.autoPanel, [&notes](const std::string&) { ++notes; });
        Bytes answer;
        for (const Arrival& arrival : c.arrivals) {
            clock.sleep(arrival.after);
            cable.fromComputer(arrival.bytes);
            clock.sleep(5ms);
            answer = cable.toComputer();
        }
        EXPECT_EQ(device->programmingMode(), c.endsInProgramming) << c.name;
        EXPECT_EQ(part(answer, 0, std::min(answer.size(), c.lastAnswerStart.size())), c.lastAnswerStart)
            << c.name;
        EXPECT_EQ(notes, c.notes) << c.name;
    }
}

}  // namespace
}  // namespace rq::sim
