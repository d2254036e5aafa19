#pragma once

#include <memory>

#include "gui/GuiOptions.h"
#include "gui/frmMain.h"
#include "platform/SteadyClock.h"
#include "sim/SimDevice.h"
#include "sim/SimPort.h"

namespace rq::gui {

// One run of the window: the clock, the simulated RQ system when asked for, and the main window with
// its wizard, started.
class Application {
  public:
    explicit Application(const GuiOptions& options);
    ~Application();

    frmMain& window() { return *window_; }
    sim::SimDevice* device() { return device_.get(); }
    sim::SimPort* simulatedPort() { return simPort_.get(); }

  private:
    WizardThread::PortFactory portFactory();

    SteadyClock clock_;
    std::unique_ptr<sim::SimDevice> device_;
    std::unique_ptr<sim::SimPort> simPort_;  // the wizard's port reaches it; the front panel pulls its cable
    std::unique_ptr<frmMain> window_;        // after the device: its wizard talks to it until it ends
};

}  // namespace rq::gui
