#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <vector>

#include "core/flash/FlashFrames.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/InstantSystem.h"

namespace rq::sim {

using Bytes = std::vector<std::uint8_t>;

// The boot firmware's reset and its acknowledgements, as they stand on the line.
const Bytes kReset = {0x01, 0x01, 0x00, 0xFF, 0x03};
const Bytes kAck = {0x02, 0x01, 0x06, 0xF9, 0x03};
const Bytes kBlockAck = {0x02, 0x02, 0x06, 0x06, 0xF2, 0x03};

// A data frame of 256 bytes of `fill`, the last of its transfer or not.
inline Bytes dataFrame(std::uint8_t fill, bool last) {
    ImageBlock block;
    block.fill(fill);
    return rq::dataFrame(block, last);
}

// A simulated RQ system switched on in one mode, its port open at that mode's line settings; in
// programming mode its boot firmware has been woken up.
class DeviceBench : public ::testing::Test {
  protected:
    VirtualClock clock;
    std::unique_ptr<SimDevice> device;
    std::unique_ptr<SimPort> port;

    void powerOn(bool programming, const RqSystemOptions& options = test::instantSystem()) {
        device = makeRqSystem(clock, options);
        device->setFwSwitch(programming);
        device->setPower(true);
        port = std::make_unique<SimPort>(*device);
        ASSERT_EQ(port->setSettings(programming ? "9600,N,8,1" : "307200,O,8,1"), PortError::None);
        ASSERT_EQ(port->open(), PortError::None);
        if (programming) perform("dtr+ 2 rts+ 150 x00 7 x00 7");
    }
    // What the boot firmware waits for, in words: "dtr+", "rts-", a wait in ms such as "150", a byte
    // such as "x00", and "replug" for a cable pulled and plugged back before the port opens again.
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
    // What the device answers within a second.
    Bytes ask(const Bytes& request, std::size_t answerSize = 5) {
        port->write(request);
        return port->read(answerSize, std::chrono::seconds(1));
    }
};

}  // namespace rq::sim
