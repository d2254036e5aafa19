#include <gtest/gtest.h>

#include "core/io/SilentView.h"
#include "core/wizard/DeviceSteps.h"
#include "sim/VirtualClock.h"
#include "support/PortStub.h"

namespace rq {
namespace {

// A port that refuses the settings or the handshaking it is given, and counts its openings.
class RefusingPort final : public test::PortStub {
  public:
    bool refusesSettings = false;
    bool refusesFlow = false;
    int openings = 0;

    PortError setSettings(const std::string& text) override {
        return refusesSettings ? PortError::BadSettings : PortStub::setSettings(text);
    }
    PortError setFlowControl(FlowControl flow) override {
        return refusesFlow ? PortError::BadSettings : PortStub::setFlowControl(flow);
    }
    PortError open() override {
        ++openings;
        return PortStub::open();
    }
};

// Each row: which setting the port refuses, or a handshaking value out of range; the steps' port is then
// never opened, so nothing goes out on a line set up only in part.
TEST(PortPreparation, StopsAtTheFirstRefusedSetting) {
    const struct {
        const char* name;
        bool refusesSettings;
        bool refusesFlow;
        std::uint8_t flow;
        std::uint8_t linkError;
    } rows[] = {
        {"line settings", true, false, 0, 15},
        {"handshaking", false, true, 0, 15},
        {"handshaking out of range", false, false, 4, 99},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RefusingPort port;
        port.refusesSettings = row.refusesSettings;
        port.refusesFlow = row.refusesFlow;
        sim::VirtualClock clock;
        SilentView view;
        WizardState state;
        state.commSettings.FlowCtl = row.flow;
        StepContext context{state, port, clock, view};
        EXPECT_FALSE(openPort(context));
        EXPECT_EQ(state.LinkError, row.linkError);
        EXPECT_EQ(port.openings, 0);
        EXPECT_FALSE(port.isOpen());
    }
}

}  // namespace
}  // namespace rq
