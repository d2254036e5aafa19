#include "cli/UpdateCommand.h"

#include <algorithm>
#include <iostream>

#include "cli/CliView.h"
#include "cli/DevicePort.h"
#include "cli/SupportLog.h"
#include "cli/TranscriptView.h"
#include "core/wizard/ForceUpdate.h"
#include "core/wizard/Wizard.h"
#include "platform/LocaleTime.h"
#include "platform/SteadyClock.h"
#include "platform/Terminal.h"

namespace rq::cli {
namespace {

constexpr int kCancelledStatus = 1;

// Steps that only show instructions, where a person would read and press Next.
bool isInstructionStep(int stepIndex) {
    return stepIndex == 0 || stepIndex == 2 || stepIndex == 3 || stepIndex == 5 || stepIndex == 7;
}

// Takes the options update has besides the groups; false when the option is not one of them.
bool takeUpdateOption(const std::string& option, ArgReader& reader, UpdateOptions& options,
                      std::string& error) {
    const std::pair<const char*, bool*> flags[] = {
        {"--yes", &options.yes},
        {"--trace", &options.trace},
        {"--verify-identity", &options.verifyIdentity},
        {"--plain", &options.plain},
    };
    for (const auto& [name, flag] : flags) {
        if (option != name) continue;
        *flag = true;
        return true;
    }
    if (option != "--force") return false;
    const auto model = reader.value();
    const auto serial = reader.value();
    if (!model || !serial) {
        error = "--force needs MODEL and SERIAL";
    } else if (std::find(kForceUpdateModels.begin(), kForceUpdateModels.end(), *model) ==
               kForceUpdateModels.end()) {
        error = "--force takes the model RQA-4021 or RQA-4020, not '" + *model + "'";
    } else {
        options.force = std::make_pair(*model, *serial);
    }
    return true;
}

class UpdateRun {
  public:
    UpdateRun(const UpdateOptions& options, const Io& io)
        : options_(options), io_(io), promptOut_(options.output.json ? io.err : io.out) {}

    int execute();

  private:
    WizardView& makeOutput();
    void note(const std::string& what);
    void explain(const std::string& whyNotOpened);
    bool waitForEnter(const std::string& button);
    void workFrontPanel(int stepIndex);
    int walk(Wizard& wizard);

    const UpdateOptions& options_;
    const Io& io_;
    std::ostream& promptOut_;
    SteadyClock clock_;
    SupportLog log_;
    std::optional<JsonEventView> jsonOut_;
    std::optional<TranscriptView> transcript_;
    std::unique_ptr<CliView> view_;
    DevicePort device_;
};

WizardView& UpdateRun::makeOutput() {
    if (options_.output.json) {
        return jsonOut_.emplace(clock_, [this](const std::string& line) {
            io_.out << line << "\n" << std::flush;
        });
    }
    std::optional<LiveProgress> live;
    if (!options_.plain && standardOutputIsTerminal()) live.emplace(io_.out, clock_, terminalColumns);
    return transcript_.emplace(io_.out, std::move(live));
}

void UpdateRun::note(const std::string& what) {
    if (jsonOut_) jsonOut_->note(what);
    if (transcript_) transcript_->note(what);
    log_.note(what);
}

// The message box names no cause; a person reads it here, a script in the JSON.
void UpdateRun::explain(const std::string& whyNotOpened) {
    io_.err << "rqfwup-cli: " << whyNotOpened << "\n" << std::flush;
    if (jsonOut_) jsonOut_->hint(whyNotOpened);
    log_.hint(whyNotOpened);
}

bool UpdateRun::waitForEnter(const std::string& button) {
    if (options_.yes) return true;
    promptOut_ << "Press Enter to click " << button << " (end of input cancels) " << std::flush;
    std::string line;
    if (std::getline(io_.in, line)) return true;
    promptOut_ << "\n";
    return false;
}

// What the instructions of steps 4 and 6 ask the user to do with the device.
void UpdateRun::workFrontPanel(int stepIndex) {
    sim::SimDevice* device = device_.device.get();
    if (device == nullptr || (stepIndex != 3 && stepIndex != 5)) return;
    const bool write = stepIndex == 3;
    device->setPower(false);
    note("simulated RQ system: power off");
    device->setFwSwitch(write);
    note(std::string("simulated RQ system: FW switch to ") + (write ? "W" : "-"));
    device->setPower(true);
    note(std::string("simulated RQ system: power on, pilot LED ") +
         (write ? "green and red in turn" : "green"));
}

int UpdateRun::execute() {
    if (!log_.open(options_.output.logPath, clock_, "update", io_.err)) return 1;
    view_ = std::make_unique<CliView>(&makeOutput(), log_.view());
    view_->showTrace(options_.trace);
    device_ = attachDevicePort(options_.portOptions, options_.sim, clock_,
                               [this](const std::string& why) { explain(why); });

    Wizard wizard(*device_.port, clock_, *view_);
    wizard.setFallBackAfterFailure(false);
    wizard.setTraceEnabled(options_.trace);
    wizard.setTraceRecorded(log_.view() != nullptr);
    wizard.setVerifyIdentity(options_.verifyIdentity);
    wizard.setTraceTimeFormat(localeTraceTime);
    wizard.state().commSettings = options_.portOptions.settings;
    wizard.state().commSettings.ComPort = static_cast<std::uint8_t>(device_.number);
    wizard.start();
    return walk(wizard);
}

int UpdateRun::walk(Wizard& wizard) {
    view_->setFirmwareChoice(options_.firmwarePath);
    wizard.cmdFWFileSel();
    if (!wizard.state().firmware.valid) return wizard.lastShownError();

    if (options_.force) {
        const auto& [model, serial] = *options_.force;
        // The dialog keeps a refused entry open; without a window the run ends there.
        if (const auto refusal = checkSerialEntry(serial)) {
            view_->showMessage(refusal->title, refusal->text);
            return kUsageStatus;
        }
        if (!waitForEnter("強制更新")) return kCancelledStatus;
        view_->setModelSerial(model, serial);
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

}  // namespace

std::variant<UpdateOptions, UsageError> parseUpdate(const std::vector<std::string>& args) {
    UpdateOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (!isOption(word)) {
            if (!options.firmwarePath.empty())
                return UsageError{"one firmware file only, not also '" + word + "'"};
            options.firmwarePath = word;
            continue;
        }
        std::string error;
        const bool taken = takeUpdateOption(word, reader, options, error) ||
                           takePortOption(word, reader, options.portOptions, error) ||
                           takeSimOption(word, reader, options.sim, error) ||
                           takeOutputOption(word, reader, options.output, error);
        if (!taken) return UsageError{"unknown option " + word};
        if (!error.empty()) return UsageError{error};
    }
    if (options.sim.faultHelp) return options;
    if (options.firmwarePath.empty()) return UsageError{"update needs a firmware file"};
    if (const auto error = checkSimOptions(options.sim, options.portOptions)) return UsageError{*error};
    return options;
}

const char* const kUpdateSynopsis =
    "  rqfwup-cli update FIRMWARE.bin [options]   walk the update wizard without a window\n";

std::string updateHelp() {
    return std::string("Options of update:\n") + kPortOptionsHelp +
           R"(  --force MODEL SERIAL    forced update: skip the backup, write MODEL (RQA-4021 or RQA-4020) and the
                          five-digit SERIAL back after programming
  --yes                   do not wait for Enter at the instruction steps
  --json                  one JSON object per line for every change the window would show
  --plain                 every progress line as a line of its own, on a terminal too
  --trace                 trace every frame to and from the device
  --log FILE              write a support log: every change, every trace line, the settings, the
                          program version and the operating system, as JSON lines
  --verify-identity       read the identity back after step 7 has written it, and fail the step
                          (code 99) when the device holds anything else
)" + kSimOptionsHelp +
           R"(
Exit status: 0 when the update reached its end, the error code of the failure that stopped it,
2 for a wrong command line.
)";
}

int runUpdate(const std::vector<std::string>& args, const Io& io) {
    return runParsed(
        parseUpdate(args), io,
        +[](const UpdateOptions& options, const Io& io) { return UpdateRun(options, io).execute(); });
}

}  // namespace rq::cli
