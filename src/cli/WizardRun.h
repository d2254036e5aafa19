#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliView.h"
#include "cli/DevicePort.h"
#include "cli/Options.h"
#include "cli/ReaderView.h"
#include "cli/Subcommand.h"
#include "cli/SupportLog.h"
#include "cli/TranscriptView.h"
#include "core/wizard/Wizard.h"
#include "platform/BackupPlace.h"
#include "platform/SteadyClock.h"

namespace rq::cli {

// What a walk of the wizard without a window takes, whichever screen it starts from.
struct WalkOptions {
    PortOptions portOptions;
    SimOptions sim;
    OutputOptions output;
    bool yes = false;
    bool trace = false;
    bool verifyIdentity = true;
    bool plain = false;       // no live progress line on a terminal
    bool transcript = false;  // every change the window shows, by control name, for tests and support
};

// Takes one of the options every walk has; false when the option is none of them.
bool takeWalkOption(const std::string& option, ArgReader& reader, WalkOptions& options, std::string& error);
// The help of the options of every walk besides the port and simulation options.
extern const char* const kWalkOptionsHelp;

inline constexpr int kCancelledStatus = 1;

// What the walks of several devices at once share; each has everything else of its own.
struct SharedParts {
    std::function<bool(const std::string& button)> waitForEnter;  // one Enter for every device
    BackupStore* backups = nullptr;
    RunLog* log = nullptr;         // the support log of every device, when there is one
    std::size_t columnsTaken = 0;  // by what marks each line with its device
};

// One walk of the wizard without a window: what it would show goes to standard output and the support
// log, its instruction steps wait for Enter, and the simulated front panel is worked as the screens ask.
// When it ends after the device has been programmed and before its identity has been written back,
// whatever ends it, it tells where the identity is saved and how to write it back.
class WizardRun {
  public:
    // Takes the started wizard to its first screen; an exit status ends the run there.
    using Lead = std::function<std::optional<int>(WizardRun& run, Wizard& wizard)>;

    WizardRun(const WalkOptions& options, const Io& io, const SharedParts* shared = nullptr);
    ~WizardRun();

    // `command` names the subcommand in the support log.
    int execute(const std::string& command, const Lead& lead);

    CliView& view() { return *view_; }
    // What the walk did to the device, once it has ended.
    const RunSummary& summary() const { return summary_; }
    // A line of the runner's own.
    void note(const std::string& what);
    // False when the input ended instead.
    bool waitForEnter(const std::string& button);

  private:
    class InterruptiblePort;

    WizardView& makeOutput();
    bool openLog(const std::string& command);
    BackupStore& backups();
    void explain(const std::string& whyNotOpened);
    void warn(const std::string& what);
    void workFrontPanel(int stepIndex);
    int walk(Wizard& wizard);
    int finish(Wizard& wizard, int status);
    void reportBackup(const BackupNote& note);
    void tellWhereTheIdentityIs(const WizardState& state);
    void summarize(const WizardState& state, int status);
    // The command line of a later run on the same port with the same settings: "rqfwup-cli WORDS --port …".
    std::string commandWith(const std::string& words) const;

    const WalkOptions& options_;
    const Io& io_;
    const SharedParts* shared_;
    std::ostream& promptOut_;
    SteadyClock clock_;
    Micros started_{0};
    SupportLog log_;
    std::optional<JsonEventView> jsonOut_;
    std::optional<TranscriptView> transcript_;
    std::optional<ReaderView> reader_;
    std::unique_ptr<CliView> view_;
    DevicePort device_;
    std::unique_ptr<InterruptiblePort> port_;
    SaveFileWriter writer_;
    std::unique_ptr<BackupStore> ownBackups_;
    RunSummary summary_;
};

}  // namespace rq::cli
