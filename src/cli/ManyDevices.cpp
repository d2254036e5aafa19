#include "cli/ManyDevices.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "cli/Runner.h"
#include "cli/SupportLog.h"
#include "cli/TextColumns.h"
#include "cli/TextLines.h"
#include "core/wizard/Hints.h"
#include "core/text/Text.h"
#include "platform/Interrupts.h"
#include "platform/Terminal.h"

namespace rq::cli {
namespace {

constexpr std::string_view kEraseLine = "\x1b[K";

// What a terminal shows of a line written for one: the text after its last carriage return.
std::string shownOf(const std::string& written) {
    const auto at = written.rfind('\r');
    std::string shown = at == std::string::npos ? written : written.substr(at + 1);
    for (auto erase = shown.find(kEraseLine); erase != std::string::npos; erase = shown.find(kEraseLine))
        shown.erase(erase, kEraseLine.size());
    return shown;
}

// The result and what its exit status means.
std::string resultWithMeaning(const RunSummary& device) {
    if (device.status == 0) return device.result;
    if (device.result.rfind("error", 0) == 0) return device.result + ": " + exitStatusMeaning(device.status);
    return device.result + " (" + std::to_string(device.status) + ")";
}

// One line per device under a heading, the columns aligned.
std::string summaryTable(const std::vector<RunSummary>& devices) {
    std::vector<std::vector<std::string>> rows = {{"Port", "Model", "Serial", "Version", "Time", "Result"}};
    for (const RunSummary& device : devices) {
        rows.push_back({portCaption(device.port, device.device), orDash(device.model), orDash(device.serial),
                        orDash(device.versionBefore) + " -> " + orDash(device.versionAfter),
                        clockTime(device.elapsed), resultWithMeaning(device)});
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths[column], displayColumns(row[column]));
    }
    std::string table;
    for (const auto& row : rows) {
        for (std::size_t column = 0; column + 1 < row.size(); ++column)
            table.append(row[column]).append(widths[column] - displayColumns(row[column]) + 2, ' ');
        table.append(row.back()).append("\n");
    }
    return table;
}

SharedOutput outputFor(const UpdateOptions& options) {
    if (options.output.json) return SharedOutput::Json;
    return !options.plain && standardOutputIsTerminal() ? SharedOutput::Live : SharedOutput::Plain;
}

// One device of the run: its options, its standard streams and what became of it.
struct Device {
    Device(const UpdateOptions& given, const std::string& port, SharedScreen& screen, std::size_t index,
           const Io& io)
        : options(given),
          outLines(screen, index, false),
          errLines(screen, index, true),
          out(&outLines),
          err(&errLines),
          io{out, err, io.in} {
        options.ports = {port};
        options.portOptions.port = port;
        options.portOptions.portGiven = true;
        options.output.logPath.clear();  // the log of all is shared
    }

    UpdateOptions options;
    DeviceLines outLines;
    DeviceLines errLines;
    std::ostream out;
    std::ostream err;
    Io io;
    SharedParts shared;
    int status = 0;
    RunSummary summary;
};

}  // namespace

SharedScreen::SharedScreen(const Io& io, SharedOutput mode, std::vector<std::string> ports, Columns columns)
    : io_(io),
      mode_(mode),
      ports_(std::move(ports)),
      columns_(std::move(columns)),
      live_(ports_.size()),
      lastLine_(ports_.size()) {}

std::size_t SharedScreen::markColumns() const {
    std::size_t widest = 0;
    for (const std::string& port : ports_) widest = std::max(widest, displayColumns(port));
    return widest + 3;  // "[" and "] "
}

void SharedScreen::line(std::size_t device, bool error, const std::string& text) {
    const std::lock_guard lock(mutex_);
    std::ostream& stream = error ? io_.err : io_.out;
    if (mode_ == SharedOutput::Json && !error) {
        stream << taggedWithPort(text, ports_[device]) << "\n" << std::flush;
        return;
    }
    eraseLive();
    stream << "[" << ports_[device] << "] " << text << "\n" << std::flush;
    if (!error) {
        lastLine_[device] = text;
        live_[device].clear();
    }
    drawLive();
}

void SharedScreen::live(std::size_t device, const std::string& text) {
    const std::lock_guard lock(mutex_);
    if (mode_ != SharedOutput::Live || live_[device] == text) return;
    live_[device] = text;
    eraseLive();
    drawLive();
}

void SharedScreen::print(bool error, const std::string& text) {
    const std::lock_guard lock(mutex_);
    eraseLive();
    (error ? io_.err : io_.out) << text << std::flush;
}

void SharedScreen::eraseLive() {
    if (drawn_ == 0) return;
    io_.out << "\r\x1b[" << drawn_ << "A\x1b[J";
    drawn_ = 0;
}

void SharedScreen::drawLive() {
    if (mode_ != SharedOutput::Live) return;
    // The last column is left free: writing into it makes some terminals wrap.
    const std::size_t columns = std::max<std::size_t>(columns_(), 2) - 1;
    for (std::size_t device = 0; device < ports_.size(); ++device) {
        const std::string& shown = live_[device].empty() ? lastLine_[device] : live_[device];
        const std::string line =
            "[" + ports_[device] + "] " + shown.substr(std::min(shown.find_first_not_of(' '), shown.size()));
        io_.out << fitColumns(line, columns) << "\n";
    }
    io_.out << std::flush;
    drawn_ = ports_.size();
}

int DeviceLines::overflow(int c) {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    if (c != '\n') {
        pending_ += static_cast<char>(c);
        return c;
    }
    screen_.line(device_, error_, shownOf(pending_));
    pending_.clear();
    return c;
}

// A flush without a line break: a line rewritten in place.
int DeviceLines::sync() {
    if (pending_.empty() || error_) return 0;
    pending_ = shownOf(pending_);
    screen_.live(device_, pending_);
    return 0;
}

bool EnterGate::wait(std::size_t device, const std::string& button) {
    std::unique_lock lock(mutex_);
    waiting_.push_back(device);
    button_ = button;
    const unsigned round = round_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return round_ != round; });
    return goOn_;
}

void EnterGate::leave() {
    const std::lock_guard lock(mutex_);
    --atWork_;
    changed_.notify_all();
}

void EnterGate::serve(const Ask& ask) {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return atWork_ == 0 || waiting_.size() == atWork_; });
        if (atWork_ == 0) return;
        std::vector<std::size_t> waiting = waiting_;
        std::sort(waiting.begin(), waiting.end());
        const std::string button = button_;
        lock.unlock();
        const bool goOn = ask(waiting, button);
        lock.lock();
        goOn_ = goOn;
        waiting_.clear();
        ++round_;
        changed_.notify_all();
    }
}

int updateMany(const UpdateOptions& options, const Io& io) {
    const std::vector<std::string>& ports = options.ports;
    const bool json = options.output.json;
    SharedScreen screen(io, outputFor(options), ports, terminalColumns);
    SteadyClock clock;
    SupportLog log;
    if (!log.open(options.output.logPath, clock, "update", io.err)) return 1;
    catchInterrupts();
    SaveFileWriter writer;
    BackupStore backups(backupDirectory(options.sim.simulate), writer);
    const FirmwareRead image = readFirmwareFile(options.firmwarePath);
    EnterGate gate(ports.size());

    std::vector<std::unique_ptr<Device>> devices;
    std::vector<std::thread> threads;
    for (std::size_t index = 0; index < ports.size(); ++index) {
        Device& device =
            *devices.emplace_back(std::make_unique<Device>(options, ports[index], screen, index, io));
        device.shared = {[&gate, index](const std::string& button) { return gate.wait(index, button); },
                         &backups, log.lines(), screen.markColumns()};
        threads.emplace_back([&device, &image, &gate] {
            WizardRun run(device.options, device.io, &device.shared);
            device.status = run.execute("update", [&](WizardRun& walk, Wizard& wizard) {
                return startUpdate(device.options, std::nullopt, &image, walk, wizard);
            });
            device.summary = run.summary();
            gate.leave();
        });
    }
    if (!options.yes) {
        gate.serve([&](const std::vector<std::size_t>& waiting, const std::string& button) {
            std::string names;
            for (const std::size_t index : waiting)
                names.append(names.empty() ? "" : ", ").append(ports[index]);
            screen.print(json,
                         "Press Enter to click " + button + " for " + names + " (end of input cancels) ");
            std::string line;
            if (std::getline(io.in, line) && interruptStatus() == 0) return true;
            screen.print(json, "\n");
            return false;
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::vector<RunSummary> summaries;
    int status = 0;
    for (const auto& device : devices) {
        summaries.push_back(device->summary);
        if (status == 0) status = device->status;
    }
    if (json) {
        JsonEventView(clock, [&](const std::string& line) {
            screen.print(false, line + "\n");
        }).summaries(summaries, status);
    } else {
        screen.print(false, summaryTable(summaries));
    }
    if (log.view() != nullptr) log.view()->summaries(summaries, status);
    return status;
}

}  // namespace rq::cli
