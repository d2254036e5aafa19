#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "core/io/ForwardingPort.h"
#include "core/wizard/DeviceSteps.h"
#include "sim/FirmwareGenerator.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/InstantSystem.h"
#include "support/RecordingView.h"

namespace rq {
namespace {

// Keeps every change of the line the step makes, and when.
class LineRecorder final : public ForwardingPort {
  public:
    LineRecorder(Port& inner, Clock& clock) : ForwardingPort(inner), clock_(clock) {}

    struct Event {
        Micros at;
        std::string what;
    };
    std::vector<Event> events;

    PortError open() override {
        note("open");
        return ForwardingPort::open();
    }
    void close() override {
        note("close");
        ForwardingPort::close();
    }
    void setRts(bool on) override {
        note(on ? "RTS on" : "RTS off");
        ForwardingPort::setRts(on);
    }
    void setDtr(bool on) override {
        note(on ? "DTR on" : "DTR off");
        ForwardingPort::setDtr(on);
    }
    PortError write(std::span<const std::uint8_t> bytes) override {
        std::string what = "write";
        for (const std::uint8_t byte : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", byte);
            what += hex;
        }
        note(what);
        return ForwardingPort::write(bytes);
    }

    // The first `count` events, each with its time from the port's opening.
    std::vector<std::string> firstSinceOpen(std::size_t count) const {
        const auto open =
            std::find_if(events.begin(), events.end(), [](const Event& e) { return e.what == "open"; });
        std::vector<std::string> lines;
        for (const Event& event : events) {
            if (lines.size() == count || open == events.end()) break;
            lines.push_back(std::to_string((event.at - open->at).count()) + " us " + event.what);
        }
        return lines;
    }

  private:
    void note(std::string what) { events.push_back({clock_.now(), std::move(what)}); }

    Clock& clock_;
};

// The boot firmware listens only after the wake-up; the device's answer shows it was done as it waits
// for, and the recording shows the order and the waits themselves.
TEST(BootWakeUpTest, StepFiveWakesTheBootFirmwareBeforeTheFirstReset) {
    sim::VirtualClock clock;
    auto device = sim::makeRqSystem(clock, test::instantSystem());
    device->setFwSwitch(true);
    device->setPower(true);
    sim::SimPort simPort(*device);
    LineRecorder port(simPort, clock);
    test::RecordingView view;
    WizardState state;
    state.firmware.contents = sim::generateFirmware({});
    state.firmware.length = state.firmware.contents.size();
    StepContext context{state, port, clock, view};

    subStep5FwUpdate(context);

    EXPECT_EQ(state.LinkError, 0);
    EXPECT_EQ(port.firstSinceOpen(8), (std::vector<std::string>{
                                          "0 us RTS off", "0 us DTR off", "0 us open", "0 us DTR on",
                                          "2000 us RTS on", "152000 us write 00", "159000 us write 00",
                                          "167000 us write 01 01 00 FF 03",  // 1 ms before every frame
                                      }));
}

}  // namespace
}  // namespace rq
