#pragma once

#include <memory>

#include "core/backup/BackupStore.h"
#include "gui/GuiOptions.h"
#include "gui/frmMain.h"
#include "platform/BackupPlace.h"
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
    // --log named a file that cannot be written.
    bool logFailed() const { return logFailed_; }

  private:
    WizardThread::PortFactory portFactory(const std::string& portName);

    SteadyClock clock_;
    std::unique_ptr<sim::SimDevice> device_;
    std::unique_ptr<sim::SimPort> simPort_;  // the wizard's port reaches it; the front panel pulls its cable
    std::shared_ptr<int> portNumber_ = std::make_shared<int>(1);  // of --port, learnt on the wizard's thread
    bool logFailed_ = false;
    SaveFileWriter writer_;
    std::unique_ptr<BackupStore> backups_;  // none while pictures are taken
    std::unique_ptr<frmMain> window_;       // after the device: its wizard talks to it until it ends
};

}  // namespace rq::gui
