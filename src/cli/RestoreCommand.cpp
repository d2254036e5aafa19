#include "cli/RestoreCommand.h"

#include <ostream>
#include <variant>

#include "cli/WizardRun.h"
#include "core/log/Json.h"
#include "core/text/Text.h"
#include "platform/LocaleTime.h"

namespace rq::cli {
namespace {

struct RestoreOptions : WalkOptions {
    std::string file;  // empty: the newest backup not written back yet
    bool list = false;
};

std::variant<RestoreOptions, UsageError> parse(const std::vector<std::string>& args) {
    RestoreOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (!isOption(word)) {
            if (!options.file.empty()) return UsageError{"one backup file only, not also '" + word + "'"};
            options.file = word;
            continue;
        }
        std::string error;
        if (word == "--list") {
            options.list = true;
            continue;
        }
        const bool taken = takeWalkOption(word, reader, options, error) ||
                           takePortOption(word, reader, options.portOptions, error) ||
                           takeSimOption(word, reader, options.sim, error) ||
                           takeOutputOption(word, reader, options.output, error);
        if (!taken) return UsageError{"unknown option " + word};
        if (!error.empty()) return UsageError{error};
    }
    if (options.list && !options.file.empty()) return UsageError{"--list takes no file"};
    if (const auto error = checkSimOptions(options.sim, options.portOptions)) return UsageError{*error};
    return options;
}

std::string localTime(const std::string& utc) {
    const auto time = parseUtcTime(utc);
    return time ? localeTraceTime(*time) : utc;
}

void listBackups(const BackupStore& store, bool json, std::ostream& out) {
    const std::vector<BackupFile> files = store.list();
    if (files.empty() && !json) out << "No identity backups in " << store.directory() << "\n";
    for (const BackupFile& file : files) {
        const std::optional<SavedIdentity>& identity = file.read.identity;
        if (json) {
            out << "{\"file\":" << jsonString(file.path);
            if (!identity) {
                out << ",\"refused\":" << jsonString(file.read.refusal) << "}\n";
                continue;
            }
            for (const auto& [key, value] : backupFields(*identity)) {
                if (key != "format" && key != "formatVersion") out << "," << jsonString(key) << ":" << value;
            }
            out << "}\n";
        } else if (!identity) {
            out << file.path << "  refused: " << file.read.refusal << "\n";
        } else {
            out << localTime(identity->time) << "  " << printableBytes(identity->model) << "  "
                << printableBytes(identity->serial) << "  " << identity->port << "  "
                << (identity->restored ? "restored " + localTime(*identity->restored) : "not restored")
                << "  " << file.path << "\n";
        }
    }
}

// The backup to write back, or the exit status when there is none to use.
std::variant<BackupFile, int> chooseBackup(const BackupStore& store, const RestoreOptions& options,
                                           const Io& io) {
    if (!options.file.empty()) return readGivenBackup(options.file, io);
    if (auto newest = store.newestUnrestored()) return std::move(*newest);
    io.err << "rqfwup-cli: no identity backup waits to be written back in " << store.directory() << "\n";
    return kNoBackupStatus;
}

int restore(const RestoreOptions& options, const Io& io) {
    SaveFileWriter writer;
    const BackupStore store(backupDirectory(options.sim.simulate), writer);
    if (options.list) {
        listBackups(store, options.output.json, io.out);
        return 0;
    }
    const auto chosen = chooseBackup(store, options, io);
    if (const int* status = std::get_if<int>(&chosen)) return *status;
    const BackupFile& file = std::get<BackupFile>(chosen);

    // The port the identity was read on, unless another is given: by the system's name for it, which a
    // simulated device has not.
    RestoreOptions walk = options;
    const SavedIdentity& identity = *file.read.identity;
    if (!options.portOptions.portGiven)
        walk.portOptions.port =
            options.sim.simulate || identity.device.empty() ? identity.port : identity.device;
    if (const auto error = checkSimOptions(walk.sim, walk.portOptions)) return wrongCommandLine(io, *error);
    return WizardRun(walk, io).execute("restore", [&file](WizardRun& run, Wizard& wizard) {
        run.note("writing back " + backupDescription(file));
        wizard.loadSavedIdentity(file);
        return std::optional<int>();
    });
}

}  // namespace

std::string backupDescription(const BackupFile& file) {
    const SavedIdentity& identity = *file.read.identity;
    return file.path + ": model " + printableBytes(identity.model) + ", serial number " +
           printableBytes(identity.serial) + ", read " + localTime(identity.time) + " on " + identity.port;
}

std::variant<BackupFile, int> readGivenBackup(const std::string& path, const Io& io) {
    BackupFile file{path, readBackupFile(path)};
    if (file.read.identity) return file;
    io.err << "rqfwup-cli: " << path << " is refused: " << file.read.refusal
           << "; nothing was written to the device\n";
    return kBackupRefusedStatus;
}

const char* const kRestoreSynopsis =
    "  rqfwup-cli restore [FILE] [options]        write a saved identity back: steps 6 and 7\n"
    "  rqfwup-cli restore --list [--json]         list the saved identities\n";

std::string restoreHelp() {
    return std::string(
               "Options of restore: the port options of update (without --port, the port the identity\n"
               "was read on), and\n"
               "  --list                  list the saved identities: when read, model, serial number, port,\n"
               "                          whether restored, and the file; with --json one object a line\n") +
           kWalkOptionsHelp + kSimOptionsHelp +
           R"(
Step 2 of update saves the identity it reads in a file of its own, until step 7 has written it
back. restore shows the step 6 screen and runs step 7 with the identity of FILE, or of the newest
backup not written back yet. The backups are kept in the user's data folder (~/.local/share/rqfwup,
%LOCALAPPDATA%\rqfwup), or in RQFWUP_BACKUP_DIR when it is set; those of --simulate in its subfolder
"simulated". Exit status as update, and 3 for a file that is not a whole backup, 4 when no backup
waits to be written back; neither writes anything to the device.
)";
}

int runRestore(const std::vector<std::string>& args, const Io& io) {
    return runParsed(parse(args), io, restore);
}

}  // namespace rq::cli
