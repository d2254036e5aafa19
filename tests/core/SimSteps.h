#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "LinkTestSupport.h"
#include "TempDir.h"
#include "core/state/WizardState.h"
#include "core/wizard/Wizard.h"
#include "sim/FirmwareGenerator.h"
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

// Pulls the simulated port's cable once a frame that `pullAfter` picks has gone out.
class CablePuller final : public ForwardingPort {
  public:
    explicit CablePuller(sim::SimPort& port) : ForwardingPort(port), port_(port) {}

    std::function<bool(const Bytes& frame)> pullAfter;

    PortError write(std::span<const std::uint8_t> bytes) override {
        const PortError result = ForwardingPort::write(bytes);
        if (pullAfter && pullAfter(Bytes(bytes.begin(), bytes.end()))) {
            pullAfter = nullptr;
            port_.unplug();
        }
        return result;
    }

  private:
    sim::SimPort& port_;
};

// Whole wizards on the simulated RQ system, with a firmware file to choose.
class SimWizardTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string firmware = dir.path("fw.bin");
    sim::VirtualClock clock;
    std::unique_ptr<sim::SimDevice> device;
    std::unique_ptr<sim::SimPort> simPort;

    void SetUp() override { ASSERT_TRUE(sim::writeFirmwareFile(firmware, {{1, 3, 0}})); }
    // A device switched on in normal mode.
    void switchOn(const sim::RqSystemOptions& options) {
        device = sim::makeRqSystem(clock, options);
        device->setPower(true);
        simPort = std::make_unique<sim::SimPort>(*device);
    }
    // A wizard at step 1 with the file chosen, on the device's port or on one in front of it.
    std::unique_ptr<Wizard> startWizard(RecordingView& view, BackupStore* backups = nullptr,
                                        Port* port = nullptr) {
        auto wizard = std::make_unique<Wizard>(port != nullptr ? *port : *simPort, clock, view);
        wizard->setBackupStore(backups);
        wizard->start();
        wizard->selectFirmwareFile({firmware, "fw.bin"});
        return wizard;
    }
    // Presses Next, working the front panel as the screens of steps 4 and 6 ask, until the wizard is at
    // `stepIndex` or shows a message.
    void walkTo(Wizard& wizard, const RecordingView& view, int stepIndex) {
        while (wizard.state().StepIndex < stepIndex && view.messages.empty()) {
            wizard.cmdNext();
            const int step = wizard.state().StepIndex;
            if (step == 3 || step == 5) {
                device->setPower(false);
                device->setFwSwitch(step == 3);
                device->setPower(true);
            }
        }
    }
};

}  // namespace rq::test
