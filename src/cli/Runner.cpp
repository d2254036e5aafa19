#include "cli/Runner.h"

#include <iostream>

#include "cli/AttachedPort.h"
#include "cli/CliView.h"
#include "cli/Options.h"
#include "cli/ParamsCommand.h"
#include "core/wizard/ForceUpdate.h"
#include "core/wizard/Wizard.h"
#include "platform/LocaleTime.h"
#include "platform/SteadyClock.h"
#include "sim/Faults.h"
#include "sim/FirmwareGenerator.h"

namespace rq::cli {
namespace {

constexpr int kCancelledStatus = 1;

// Steps that only show instructions, where a person would read and press Next.
bool isInstructionStep(int stepIndex) {
    return stepIndex == 0 || stepIndex == 2 || stepIndex == 3 || stepIndex == 5 || stepIndex == 7;
}

class UpdateRun {
  public:
    UpdateRun(const UpdateOptions& options, std::ostream& out, std::ostream& err, std::istream& in)
        : options_(options),
          err_(err),
          in_(in),
          view_(out, clock_, options.json),
          promptOut_(options.json ? err : out) {}

    int execute();

  private:
    std::optional<int> attachPort();
    void explain(const std::string& whyNotOpened);
    bool waitForEnter(const std::string& button);
    void workFrontPanel(int stepIndex);
    int walk();

    const UpdateOptions& options_;
    std::ostream& err_;
    std::istream& in_;
    SteadyClock clock_;
    CliView view_;
    std::ostream& promptOut_;
    std::unique_ptr<sim::SimDevice> device_;
    std::unique_ptr<Port> port_;
    int portNumber_ = 1;
};

std::optional<int> UpdateRun::attachPort() {
    std::optional<AttachedPort> attached =
        cli::attachPort(options_, clock_, err_, [this](const std::string& why) { explain(why); });
    if (!attached) return kUsageStatus;
    device_ = std::move(attached->device);
    port_ = std::move(attached->port);
    portNumber_ = attached->number;
    return std::nullopt;
}

// The message box names no cause; a person reads it here, a script in the JSON.
void UpdateRun::explain(const std::string& whyNotOpened) {
    err_ << "rqfwup-cli: " << whyNotOpened << "\n" << std::flush;
    if (options_.json) view_.hint(whyNotOpened);
}

bool UpdateRun::waitForEnter(const std::string& button) {
    if (options_.yes) return true;
    promptOut_ << "Press Enter to click " << button << " (end of input cancels) " << std::flush;
    std::string line;
    if (std::getline(in_, line)) return true;
    promptOut_ << "\n";
    return false;
}

// What the instructions of steps 4 and 6 ask the user to do with the device.
void UpdateRun::workFrontPanel(int stepIndex) {
    if (!device_ || (stepIndex != 3 && stepIndex != 5)) return;
    const bool write = stepIndex == 3;
    device_->setPower(false);
    view_.note("simulated RQ system: power off");
    device_->setFwSwitch(write);
    view_.note(std::string("simulated RQ system: FW switch to ") + (write ? "W" : "-"));
    device_->setPower(true);
    view_.note(std::string("simulated RQ system: power on, pilot LED ") +
               (write ? "green and red in turn" : "green"));
}

int UpdateRun::execute() {
    if (const auto status = attachPort()) return *status;
    Wizard wizard(*port_, clock_, view_);
    wizard.setFallBackAfterFailure(false);
    wizard.setTraceEnabled(options_.trace);
    wizard.setVerifyIdentity(options_.verifyIdentity);
    wizard.setTraceTimeFormat(localeTraceTime);
    wizard.start();
    wizard.state().commSettings = options_.settings;
    wizard.state().commSettings.ComPort = static_cast<std::uint8_t>(portNumber_);

    view_.setFirmwareChoice(options_.firmwarePath);
    wizard.cmdFWFileSel();
    if (!wizard.state().firmware.valid) return wizard.lastShownError();

    if (options_.force) {
        const auto& [model, serial] = *options_.force;
        // The dialog keeps a refused entry open; without a window the run ends there.
        if (const auto refusal = checkSerialEntry(serial)) {
            view_.showMessage(refusal->title, refusal->text);
            return kUsageStatus;
        }
        if (!waitForEnter("強制更新")) return kCancelledStatus;
        view_.setModelSerial(model, serial);
        wizard.cmdForceUpdate();
    } else {
        if (!waitForEnter("次へ ＞")) return kCancelledStatus;
        wizard.cmdNext();
    }

    while (!wizard.ended()) {
        const WizardState& state = wizard.state();
        if (state.LinkError != 0) return state.LinkError;
        const int step = state.StepIndex;
        workFrontPanel(step);
        if (isInstructionStep(step) && !waitForEnter(step == 7 ? "終了" : "次へ ＞")) {
            wizard.cmdCancel();
            return kCancelledStatus;
        }
        wizard.cmdNext();
    }
    return 0;
}

int makeFirmware(const MakeFirmwareOptions& options, std::ostream& out, std::ostream& err) {
    sim::GeneratedFirmware firmware;
    firmware.version = options.version;
    firmware.dataLength = options.dataLength;
    if (!sim::writeFirmwareFile(options.outputPath, firmware)) {
        err << "rqfwup-cli: cannot write " << options.outputPath << "\n";
        return 1;
    }
    out << "wrote " << options.outputPath << ": version " << int(firmware.version[0]) << "."
        << int(firmware.version[1]) << "." << int(firmware.version[2]) << ", " << firmware.dataLength
        << " data bytes\n";
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::istream& in) {
    const Command command = parseCommandLine(args);
    if (const auto* update = std::get_if<UpdateOptions>(&command))
        return UpdateRun(*update, out, err, in).execute();
    if (const auto* params = std::get_if<ParamsOptions>(&command)) return runParams(*params, out, err);
    if (const auto* make = std::get_if<MakeFirmwareOptions>(&command)) return makeFirmware(*make, out, err);
    if (const auto* ports = std::get_if<PortsOptions>(&command)) return listPorts(*ports, out);
    if (std::holds_alternative<ShowHelp>(command)) {
        out << usageText();
        return 0;
    }
    if (std::holds_alternative<ShowVersion>(command)) {
        out << "rqfwup-cli " << programVersion() << "\n";
        return 0;
    }
    if (std::holds_alternative<ShowFaultHelp>(command)) {
        out << "Faults of the simulated RQ system:\n" << sim::faultHelp();
        return 0;
    }
    err << "rqfwup-cli: " << std::get<UsageError>(command).reason << "\n";
    return kUsageStatus;
}

}  // namespace rq::cli
