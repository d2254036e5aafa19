#include "cli/WizardRun.h"

#include <iostream>

#include "core/io/ForwardingPort.h"
#include "core/wizard/Hints.h"
#include "core/wizard/RunSummary.h"
#include "core/wizard/Screens.h"
#include "platform/Interrupts.h"
#include "platform/LocaleTime.h"
#include "platform/Terminal.h"

namespace rq::cli {
namespace {

// Steps that only show instructions, where a person would read and press Next.
bool isInstructionStep(int stepIndex) {
    return stepIndex == 0 || stepIndex == 2 || stepIndex == 3 || stepIndex == 5 || stepIndex == 7;
}

constexpr int kVersionCheckStep = 2;
constexpr int kFwUpdateStep = 4;

// The screens between the end of step 5 and the end of step 7: the device runs its new program and
// waits for its identity.
bool awaitsIdentity(int stepIndex) {
    return stepIndex == 5 || stepIndex == 6;
}

// A word of a command line, in double quotes when it needs them, as both kinds of shell read it.
std::string commandWord(const std::string& word) {
    static constexpr std::string_view kPlain =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/\\._:-";
    if (!word.empty() && word.find_first_not_of(kPlain) == std::string::npos) return word;
    std::string quoted = "\"";
    for (const char c : word) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// What became of the run, in a word or the failure and where it happened.
std::string resultText(int status, const WizardState& state) {
    if (interruptStatus() != 0) return "interrupted";
    switch (status) {
        case 0:
            return "done";
        case kCancelledStatus:
            return "cancelled";
        case kUsageStatus:
            return "serial number refused";
        default:
            return "error " + std::to_string(status) + " " + failurePlace(state);
    }
}

}  // namespace

// Once the run is interrupted the line acts as a pulled cable: the step at work ends at once.
class WizardRun::InterruptiblePort final : public ForwardingPort {
  public:
    using ForwardingPort::ForwardingPort;

    PortError open() override {
        pull();
        return interruptStatus() != 0 ? PortError::InvalidPort : ForwardingPort::open();
    }
    bool isOpen() const override { return interruptStatus() == 0 && ForwardingPort::isOpen(); }
    PortError write(std::span<const std::uint8_t> bytes) override {
        pull();
        return ForwardingPort::write(bytes);
    }
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        pull();
        return ForwardingPort::read(atLeast, timeout);
    }

  private:
    void pull() {
        if (interruptStatus() != 0 && ForwardingPort::isOpen()) ForwardingPort::close();
    }
};

bool takeWalkOption(const std::string& option, ArgReader&, WalkOptions& options, std::string&) {
    const std::pair<const char*, bool*> flags[] = {
        {"--yes", &options.yes},
        {"--trace", &options.trace},
        {"--plain", &options.plain},
        {"--transcript", &options.transcript},
    };
    for (const auto& [name, flag] : flags) {
        if (option != name) continue;
        *flag = true;
        return true;
    }
    if (option != "--verify-identity" && option != "--no-verify-identity") return false;
    options.verifyIdentity = option == "--verify-identity";
    return true;
}

const char* const kWalkOptionsHelp =
    R"(  --yes                   do not wait for Enter at the instruction steps
  --json                  one JSON object per line for every change the window would show
  --plain                 progress as on a pipe, on a terminal too: the last line of each stage and a
                          line at every tenth of the bar
  --transcript            everything the window shows, by control name, with every progress line (for
                          tests and support)
  --trace                 trace every frame to and from the device
  --log FILE              write a support log: every change, every trace line, the settings, the
                          program version and the operating system, as JSON lines
  --no-verify-identity    do not read the identity back after step 7 has written it; by default step 7
                          fails (code 99) when the device holds anything else (--verify-identity)
)";

WizardRun::WizardRun(const WalkOptions& options, const Io& io, const SharedParts* shared)
    : options_(options), io_(io), shared_(shared), promptOut_(options.output.json ? io.err : io.out) {}

WizardRun::~WizardRun() = default;

WizardView& WizardRun::makeOutput() {
    if (options_.output.json) {
        return jsonOut_.emplace(clock_, [this](const std::string& line) {
            io_.out << line << "\n" << std::flush;
        });
    }
    std::optional<LiveProgress> live;
    const std::size_t taken = shared_ != nullptr ? shared_->columnsTaken : 0;
    if (!options_.plain && standardOutputIsTerminal()) {
        live.emplace(io_.out, clock_, [taken] {
            const std::size_t columns = terminalColumns();
            return columns > taken ? columns - taken : 0;
        });
    }
    if (options_.transcript) return transcript_.emplace(io_.out, std::move(live));
    return reader_.emplace(io_.out, std::move(live));
}

void WizardRun::note(const std::string& what) {
    if (jsonOut_) jsonOut_->note(what);
    if (transcript_) transcript_->note(what);
    if (reader_) reader_->note(what);
    log_.note(what);
}

// The message box names no cause; a person reads it here, a script in the JSON.
void WizardRun::explain(const std::string& whyNotOpened) {
    io_.err << "rqfwup-cli: " << whyNotOpened << "\n" << std::flush;
    if (jsonOut_) jsonOut_->hint(whyNotOpened);
    log_.hint(whyNotOpened);
}

// Something that deserves a look, though the run goes on.
void WizardRun::warn(const std::string& what) {
    io_.err << "rqfwup-cli: warning: " << what << "\n" << std::flush;
    if (jsonOut_) jsonOut_->warning(what);
    log_.warning(what);
}

bool WizardRun::openLog(const std::string& command) {
    if (shared_ == nullptr || shared_->log == nullptr)
        return log_.open(options_.output.logPath, clock_, command, io_.err);
    log_.share(*shared_->log, clock_, options_.portOptions.port);
    return true;
}

BackupStore& WizardRun::backups() {
    if (shared_ != nullptr && shared_->backups != nullptr) return *shared_->backups;
    if (!ownBackups_)
        ownBackups_ = std::make_unique<BackupStore>(backupDirectory(options_.sim.simulate), writer_);
    return *ownBackups_;
}

bool WizardRun::waitForEnter(const std::string& button) {
    if (options_.yes) return interruptStatus() == 0;
    if (reader_) reader_->showInstructions();
    if (shared_ != nullptr && shared_->waitForEnter) return shared_->waitForEnter(button);
    promptOut_ << "Press Enter to click " << button << " (end of input cancels) " << std::flush;
    std::string line;
    if (std::getline(io_.in, line) && interruptStatus() == 0) return true;
    promptOut_ << "\n";
    return false;
}

// What the instructions of steps 4 and 6 ask the user to do with the device.
void WizardRun::workFrontPanel(int stepIndex) {
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

// The window shows a status word; a person at a terminal reads it here, a script in the JSON.
void WizardRun::reportBackup(const BackupNote& note) {
    if (note.event == BackupNote::Event::NotSaved) {
        io_.err << "rqfwup-cli: the identity read cannot be kept on disk (" << note.reason
                << "); the update goes on without a backup\n"
                << std::flush;
    } else if (note.event == BackupNote::Event::NotMarked) {
        io_.err << "rqfwup-cli: " << note.path << " cannot be marked restored (" << note.reason << ")\n"
                << std::flush;
    }
}

int WizardRun::execute(const std::string& command, const Lead& lead) {
    started_ = clock_.now();
    if (!openLog(command)) return 1;
    catchInterrupts();
    view_ = std::make_unique<CliView>(&makeOutput(), log_.view());
    view_->showTrace(options_.trace);
    view_->setBackupReport([this](const BackupNote& note) { reportBackup(note); });
    view_->setHintReport([this](const std::string& hint) {
        io_.err << "rqfwup-cli: " << hint << "\n" << std::flush;
    });
    device_ = attachDevicePort(options_.portOptions, options_.sim, clock_,
                               [this](const std::string& why) { explain(why); });
    port_ = std::make_unique<InterruptiblePort>(*device_.port);

    Wizard wizard(*port_, clock_, *view_);
    wizard.setBackupStore(&backups());
    wizard.setFallBackAfterFailure(false);
    wizard.setTraceEnabled(options_.trace);
    wizard.setTraceRecorded(log_.view() != nullptr);
    wizard.setVerifyIdentity(options_.verifyIdentity);
    wizard.setTraceTimeFormat(localeTraceTime);
    wizard.state().commSettings = options_.portOptions.settings;
    wizard.state().commSettings.ComPort = static_cast<std::uint8_t>(device_.number);
    wizard.start();
    if (const auto status = lead(*this, wizard)) return finish(wizard, *status);
    return finish(wizard, walk(wizard));
}

int WizardRun::walk(Wizard& wizard) {
    while (!wizard.ended()) {
        const WizardState& state = wizard.state();
        if (state.LinkError != 0) return state.LinkError;
        const int step = state.StepIndex;
        workFrontPanel(step);
        if (step == kVersionCheckStep) {
            if (const auto warning = versionWarning(state)) warn(*warning);
        }
        if (isInstructionStep(step) && !waitForEnter(step == 7 ? "終了" : "次へ ＞")) {
            wizard.cmdCancel();
            return kCancelledStatus;
        }
        wizard.cmdNext();
    }
    return 0;
}

int WizardRun::finish(Wizard& wizard, int status) {
    const int interrupted = interruptStatus();
    if (interrupted != 0) {
        io_.err << "rqfwup-cli: interrupted\n" << std::flush;
        note("interrupted");
    }
    tellWhereTheIdentityIs(wizard.state());
    const int exitStatus = interrupted != 0 ? interrupted : status;
    summarize(wizard.state(), exitStatus);
    return exitStatus;
}

void WizardRun::tellWhereTheIdentityIs(const WizardState& state) {
    // A failed step 5 may have left the device without its program; its identity is then still to come.
    const bool programming = state.StepIndex == kFwUpdateStep && state.programmingStarted;
    if (!programming && !awaitsIdentity(state.StepIndex)) return;
    const std::string& file = state.backupPath;
    std::string command;
    if (!file.empty()) {
        command =
            programming
                ? commandWith("update " + commandWord(state.firmware.path) + " --resume " + commandWord(file))
                : commandWith("restore " + commandWord(file));
    }
    if (file.empty()) {
        io_.err << "rqfwup-cli: the device's identity has not been written back, and no file keeps it; "
                   "a forced update (--force MODEL SERIAL) writes one back\n";
    } else {
        io_.err << "rqfwup-cli: the device's identity has not been written back; it is saved in " << file
                << "\nrqfwup-cli: "
                << (programming ? "program the device again from step 4, then write it back, with: "
                                : "write it back with: ")
                << command << "\n";
    }
    io_.err << std::flush;
    if (jsonOut_) jsonOut_->pendingIdentity(file, command);
    log_.pendingIdentity(file, command);
}

void WizardRun::summarize(const WizardState& state, int status) {
    summary_ = summarizeRun(state, device_.port->deviceName(device_.number));
    summary_.result = resultText(status, state);
    summary_.status = status;
    summary_.elapsed = clock_.now() - started_;
    const std::string line = summaryLine(summary_);
    if (reader_) reader_->summary(line);
    // The transcript stays as the window shows it.
    if (transcript_) io_.err << "rqfwup-cli: " << line << "\n" << std::flush;
    if (jsonOut_) jsonOut_->summary(summary_);
    log_.summary(summary_);
}

std::string WizardRun::commandWith(const std::string& words) const {
    const CommSettings& given = options_.portOptions.settings;
    const CommSettings start;
    std::string command = "rqfwup-cli " + words + " --port " + commandWord(options_.portOptions.port);
    const std::pair<const char*, std::string> lineOptions[] = {
        {"--baud", given.CommBaudrate != start.CommBaudrate ? given.CommBaudrate : ""},
        {"--parity", given.Parity != start.Parity ? given.Parity : ""},
        {"--data-bits", given.DataBits != start.DataBits ? given.DataBits : ""},
        {"--stop-bits", given.StopBits != start.StopBits ? given.StopBits : ""},
        {"--flow", given.FlowCtl != start.FlowCtl ? std::string(kFlowWords.at(given.FlowCtl)) : ""},
        {"--program-baud", given.UpBaudrateIndex != start.UpBaudrateIndex
                               ? std::string(kUpBaudrates.at(given.UpBaudrateIndex))
                               : ""},
    };
    for (const auto& [option, value] : lineOptions) {
        if (!value.empty()) command.append(" ").append(option).append(" ").append(value);
    }
    if (options_.sim.simulate) command += " --simulate";
    return command;
}

}  // namespace rq::cli
