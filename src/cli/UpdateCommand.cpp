#include "cli/UpdateCommand.h"

#include <algorithm>

#include "cli/RestoreCommand.h"
#include "core/wizard/ForceUpdate.h"

namespace rq::cli {
namespace {

// Takes --force or --resume; false when the option is another.
bool takeStartOption(const std::string& option, ArgReader& reader, UpdateOptions& options,
                     std::string& error) {
    if (option == "--resume") {
        const auto file = reader.value();
        if (file) options.resume = *file;
        if (!file || file->empty()) error = "--resume needs the file of a saved identity";
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

// From the start screen: the file chosen, then Next, the forced update, or the step 4 screen with a saved
// identity; an exit status ends the run.
std::optional<int> startUpdate(const UpdateOptions& options, const std::optional<BackupFile>& resumed,
                               WizardRun& run, Wizard& wizard) {
    run.view().setFirmwareChoice(options.firmwarePath);
    wizard.cmdFWFileSel();
    if (!wizard.state().firmware.valid) return wizard.lastShownError();
    if (resumed) {
        run.note("programming again, then writing back " + backupDescription(*resumed));
        wizard.resumeProgramming(*resumed);
        return std::nullopt;
    }

    if (!options.force) {
        if (!run.waitForEnter("次へ ＞")) return kCancelledStatus;
        wizard.cmdNext();
        return std::nullopt;
    }
    const auto& [model, serial] = *options.force;
    // The dialog keeps a refused entry open; without a window the run ends there.
    if (const auto refusal = checkSerialEntry(serial)) {
        run.view().showMessage(refusal->title, refusal->text, {});
        return kUsageStatus;
    }
    if (!run.waitForEnter("強制更新")) return kCancelledStatus;
    run.view().setModelSerial(model, serial);
    wizard.cmdForceUpdate();
    return std::nullopt;
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
        const bool taken = takeStartOption(word, reader, options, error) ||
                           takeWalkOption(word, reader, options, error) ||
                           takePortOption(word, reader, options.portOptions, error) ||
                           takeSimOption(word, reader, options.sim, error) ||
                           takeOutputOption(word, reader, options.output, error);
        if (!taken) return UsageError{"unknown option " + word};
        if (!error.empty()) return UsageError{error};
    }
    if (options.sim.faultHelp) return options;
    if (options.firmwarePath.empty()) return UsageError{"update needs a firmware file"};
    if (options.force && !options.resume.empty())
        return UsageError{"--force and --resume exclude each other"};
    if (const auto error = checkSimOptions(options.sim, options.portOptions)) return UsageError{*error};
    return options;
}

const char* const kUpdateSynopsis =
    "  rqfwup-cli update FIRMWARE.bin [options]   walk the update wizard without a window\n";

std::string updateHelp() {
    return std::string("Options of update:\n") + kPortOptionsHelp +
           R"(  --force MODEL SERIAL    forced update: skip the backup, write MODEL (RQA-4021 or RQA-4020) and the
                          five-digit SERIAL back after programming
  --resume FILE           start again from step 4 with the identity saved in FILE, for a device whose
                          step 5 failed: program it, then write that identity back
)" + kWalkOptionsHelp +
           kSimOptionsHelp +
           R"(
Step 2 saves the identity it read in a file of its own until step 7 has written it back (see restore).
On a pipe or in a file it prints each step's title, its progress lines (every tenth of a long bar), its
message boxes and the runner's own lines; on a terminal the progress is one live line. A failure adds a
line on standard error with its code, where it happened and what to check. At step 3 it warns, on
standard error, when the file's firmware is older than the device's or the same. The last line sums the
run up: port, model, serial number, version before -> after (as the identity read-back found it),
result and time.
)";
}

int runUpdate(const std::vector<std::string>& args, const Io& io) {
    return runParsed(
        parseUpdate(args), io, +[](const UpdateOptions& options, const Io& io) {
            std::optional<BackupFile> resumed;
            if (!options.resume.empty()) {
                auto given = readGivenBackup(options.resume, io);
                if (const int* status = std::get_if<int>(&given)) return *status;
                resumed = std::move(std::get<BackupFile>(given));
            }
            return WizardRun(options, io).execute("update", [&](WizardRun& run, Wizard& wizard) {
                return startUpdate(options, resumed, run, wizard);
            });
        });
}

}  // namespace rq::cli
