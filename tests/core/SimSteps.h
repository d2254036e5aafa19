#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "LinkTestSupport.h"
#include "core/state/WizardState.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"
#include "support/InstantSystem.h"
#include "support/RecordingView.h"

namespace rq::test {

// Device steps against the simulated RQ system in normal mode, on an instant line, through a port that
// keeps every request.
class SimStepsTest : public ::testing::Test {
  protected:
    sim::VirtualClock clock;
    std::unique_ptr<sim::SimDevice> device;
    std::unique_ptr<sim::SimPort> simPort;
    std::unique_ptr<TappedPort> port;
    RecordingView view;
    WizardState state;
    std::unique_ptr<StepContext> context;

    // A device switched on, with the given faults, and a new run.
    void prepare(std::vector<const char*> faults = {}) {
        device = sim::makeRqSystem(clock, instantSystem(faults));
        device->setPower(true);
        simPort = std::make_unique<sim::SimPort>(*device);
        port = std::make_unique<TappedPort>(*simPort);
        view = {};
        state = {};
        context = std::make_unique<StepContext>(StepContext{state, *port, clock, view});
    }
    // The requests that went out, in order.
    std::vector<SentRequest> sent() const {
        std::vector<SentRequest> requests;
        for (const Bytes& frame : port->writes) requests.push_back(parseRequest(frame));
        return requests;
    }
};

}  // namespace rq::test
