// rqsoak: whole updates on a noisy simulated line, judged by what the device holds afterwards.

#include <atomic>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <map>
#include <span>
#include <sstream>
#include <thread>

#include "SingleFaultSweep.h"
#include "SoakSupport.h"
#include "UpdateRun.h"
#include "core/TempDir.h"

namespace rq::soak {
namespace {

// Where no run may end in a false success: per-byte rates up to this.
constexpr double kGatedRate = 1e-4;
constexpr double kMaxFalseSuccessRate = 1e-4;
constexpr std::size_t kRunsListed = 40;

struct Settings {
    long runs = 1000;
    std::vector<double> rates = {1e-5, 1e-4, 1e-3, 1e-2, 2e-2};
    std::vector<NoiseMode> modes = {NoiseMode::Normal, NoiseMode::Programming, NoiseMode::Both};
    std::vector<bool> readBacks = {true};  // as the programs run by default
    unsigned jobs = 1;
    bool sweep = true;
    std::optional<std::pair<Cell, std::uint64_t>> replay;
};

struct CellStats {
    Cell cell;
    int runs = 0;
    int successes = 0;
    int falseSuccesses = 0;
    int hangs = 0;
    int recoveryTries = 0;
    int recoveries = 0;
    int identityWrongAfterRecovery = 0;
    std::map<std::pair<int, int>, int> failures;  // step and code
    Micros time{0};
};

// A run to look at again: a false success, or a recovery that was not complete.
struct Listed {
    Cell cell;
    std::uint64_t seed;
    std::string why;
};

const char* kUsage =
    "usage: rqsoak [--runs N] [--rates R,R,...] [--modes normal,programming,both] [--read-back on,off]\n"
    "              [--jobs N] [--no-sweep]\n"
    "       rqsoak --replay RATE MODE SEED [--no-verify-identity]   one run with its trace\n";

template <typename T>
std::optional<T> number(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

template <typename T>
std::optional<T> positive(std::string_view text) {
    const auto value = number<T>(text);
    return value && *value >= 1 ? value : std::nullopt;
}

std::optional<double> rateIn(std::string_view text) {
    const auto rate = number<double>(text);
    return rate && *rate >= 0 && *rate <= 1 ? rate : std::nullopt;
}

std::optional<bool> onOff(std::string_view text) {
    return text == "on" || text == "off" ? std::optional(text == "on") : std::nullopt;
}

// The value of an option, read by `read`; false when it does not read.
template <typename Value, typename Read>
bool one(std::string_view text, Value&& value, Read read) {
    const auto parsed = read(text);
    if (parsed) value = *parsed;
    return parsed.has_value();
}

// The comma-separated values of an option, each read by `read`; false when one does not read.
template <typename T, typename Read>
bool listOf(std::string_view text, std::vector<T>& values, Read read) {
    values.clear();
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        if (!one(text.substr(start, comma - start), values.emplace_back(), read)) return false;
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

std::optional<Settings> parse(int argc, char** argv) {
    Settings settings;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const auto value = [&]() { return i + 1 < args.size() ? args[++i] : std::string_view(); };
        bool taken = true;
        if (arg == "--no-sweep") {
            settings.sweep = false;
        } else if (arg == "--runs") {
            taken = one(value(), settings.runs, positive<long>);
        } else if (arg == "--jobs") {
            taken = one(value(), settings.jobs, positive<unsigned>);
        } else if (arg == "--rates") {
            taken = listOf(value(), settings.rates, rateIn);
        } else if (arg == "--modes") {
            taken = listOf(value(), settings.modes, modeNamed);
        } else if (arg == "--read-back") {
            taken = listOf(value(), settings.readBacks, onOff);
        } else if (arg == "--replay" && i + 3 < args.size()) {
            Cell& cell = settings.replay.emplace().first;
            taken = one(args[++i], cell.rate, rateIn) && one(args[++i], cell.mode, modeNamed) &&
                    one(args[++i], settings.replay->second, number<std::uint64_t>);
        } else if (arg == "--no-verify-identity" && settings.replay) {
            settings.replay->first.verifyIdentity = false;
        } else {
            taken = false;
        }
        if (!taken) return std::nullopt;
    }
    return settings;
}

std::vector<Cell> cellsOf(const Settings& settings) {
    std::vector<Cell> cells;
    for (const bool verifyIdentity : settings.readBacks) {
        for (const double rate : settings.rates) {
            for (const NoiseMode mode : settings.modes) cells.push_back({rate, mode, verifyIdentity});
        }
    }
    return cells;
}

// Runs `count` updates per cell, spread over the jobs; the same seeds in every cell.
std::vector<RunOutcome> runAll(const std::vector<Cell>& cells, std::size_t count, unsigned jobs,
                               const SoakFirmware& firmware) {
    const std::size_t total = cells.size() * count;
    std::vector<RunOutcome> outcomes(total);
    std::atomic<std::size_t> next{0};
    const auto work = [&]() {
        for (std::size_t run; (run = next++) < total;) {
            outcomes[run] = runUpdate(cells[run / count], run % count + 1, firmware);
        }
    };
    std::vector<std::thread> threads;
    for (unsigned i = 1; i < jobs; ++i) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    return outcomes;
}

std::string rateText(double rate) {
    std::ostringstream text;
    text << rate;
    return text.str();
}

// "KEYxCOUNT KEYxCOUNT ...", or `none`.
template <typename Key, typename KeyText>
std::string countsText(const std::map<Key, int>& counts, KeyText keyText, const char* none) {
    std::string text;
    for (const auto& [key, count] : counts) {
        if (!text.empty()) text += ' ';
        text.append(keyText(key)).append("x").append(std::to_string(count));
    }
    return text.empty() ? none : text;
}

void printTable(const std::vector<CellStats>& table, bool verifyIdentity) {
    std::printf(
        "\nIdentity read-back %s; failures as step:code x runs; recovered: after a failure in step 5 or 7\n"
        "%-8s%-13s%7s%7s%7s%7s%11s%9s  failures\n",
        verifyIdentity ? "on" : "off", "rate", "mode", "runs", "ok", "false", "hangs", "recovered", "mean s");
    for (const CellStats& stats : table) {
        if (stats.cell.verifyIdentity != verifyIdentity) continue;
        const std::string recovered =
            std::to_string(stats.recoveries) + "/" + std::to_string(stats.recoveryTries);
        const double meanSeconds =
            std::chrono::duration<double>(stats.time).count() / std::max(1, stats.runs);
        const std::string failures = countsText(
            stats.failures,
            [](const auto& at) { return std::to_string(at.first) + ":" + std::to_string(at.second); }, "-");
        std::printf("%-8s%-13s%7d%7d%7d%7d%11s%9.1f  %s\n", rateText(stats.cell.rate).c_str(),
                    std::string(modeName(stats.cell.mode)).c_str(), stats.runs, stats.successes,
                    stats.falseSuccesses, stats.hangs, recovered.c_str(), meanSeconds, failures.c_str());
    }
}

void printSweep(const std::vector<SweepRow>& rows) {
    std::printf(
        "\nSingle-byte faults: every byte of every answer of the step, hit once by each kind\n"
        "%-18s%-11s%7s%16s  step ended (code x faults)\n",
        "step", "kind", "faults", "identity wrong");
    for (const SweepRow& row : rows) {
        const std::string step = std::to_string(row.step) + (row.verifyIdentity ? " with read-back" : "");
        const std::string ended = countsText(
            row.endedWith, [](int code) { return std::to_string(code); }, "none");
        std::printf("%-18s%-11s%7d%16d  %s\n", step.c_str(), std::string(kindName(row.kind)).c_str(),
                    row.faults, row.identityWrong, ended.c_str());
    }
}

std::string failureText(const Failure& failure) {
    return "step " + std::to_string(failure.step) + " with " + std::to_string(failure.code);
}

std::string recoveryText(const Recovery& recovery) {
    if (recovery.failure)
        return "failed again in " + failureText(*recovery.failure) +
               (recovery.identityWrong ? ", the identity left wrong" : "");
    return std::string(causeText(recovery.cause));
}

int replay(const Cell& cell, std::uint64_t seed, const SoakFirmware& firmware) {
    const RunOutcome outcome = runUpdate(cell, seed, firmware, &std::cout);
    std::cout << "outcome: "
              << (outcome.succeeded() ? "reached step 8" : "failed in " + failureText(*outcome.failure))
              << "; false success: " << causeText(outcome.falseSuccess);
    if (outcome.recovery)
        std::cout << "; recovery: "
                  << (outcome.recovery->complete() ? "complete" : recoveryText(*outcome.recovery));
    std::cout << "; hung: " << outcome.hung << "; virtual time "
              << std::chrono::duration<double>(outcome.time).count() << " s\n";
    const bool wrongAfterRecovery = outcome.recovery && outcome.recovery->identityWrong;
    return outcome.hung || outcome.falseSuccess != Cause::None || wrongAfterRecovery ? 1 : 0;
}

// One row's figures; the seeds of its false successes and of its recoveries that were not complete go
// to the lists.
CellStats tally(const Cell& cell, std::span<const RunOutcome> outcomes, std::vector<Listed>& falseSuccesses,
                std::vector<Listed>& unrecovered) {
    CellStats stats;
    stats.cell = cell;
    stats.runs = static_cast<int>(outcomes.size());
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        const RunOutcome& outcome = outcomes[i];
        stats.time += outcome.time;
        stats.hangs += outcome.hung;
        stats.successes += outcome.succeeded();
        if (outcome.failure) ++stats.failures[{outcome.failure->step, outcome.failure->code}];
        if (const auto& recovery = outcome.recovery) {
            ++stats.recoveryTries;
            stats.recoveries += recovery->complete();
            stats.identityWrongAfterRecovery += recovery->identityWrong;
            if (!recovery->complete()) unrecovered.push_back({cell, i + 1, recoveryText(*recovery)});
        }
        if (outcome.falseSuccess != Cause::None) {
            ++stats.falseSuccesses;
            falseSuccesses.push_back({cell, i + 1, std::string(causeText(outcome.falseSuccess))});
        }
    }
    return stats;
}

void printListed(const char* heading, const std::vector<Listed>& runs) {
    if (runs.empty()) return;
    std::cout << "\n" << heading << " (rqsoak --replay RATE MODE SEED shows one):\n";
    for (std::size_t i = 0; i < std::min(runs.size(), kRunsListed); ++i) {
        const Listed& run = runs[i];
        std::cout << "  " << rateText(run.cell.rate) << " " << modeName(run.cell.mode) << " " << run.seed
                  << (run.cell.verifyIdentity ? "" : " --no-verify-identity") << ": " << run.why << "\n";
    }
    if (runs.size() > kRunsListed) std::cout << "  and " << runs.size() - kRunsListed << " more\n";
}

// Fails on a hung run, on a device left with a wrong identity after its recovery, or on too many false
// successes where the noise is low.
int verdict(const std::vector<CellStats>& table) {
    int hangs = 0, gatedRuns = 0, gatedFalse = 0, wrongAfterRecovery = 0;
    for (const CellStats& stats : table) {
        hangs += stats.hangs;
        wrongAfterRecovery += stats.identityWrongAfterRecovery;
        if (stats.cell.rate > kGatedRate) continue;
        gatedRuns += stats.runs;
        gatedFalse += stats.falseSuccesses;
    }
    const bool tooManyFalse = gatedRuns > 0 && gatedFalse > kMaxFalseSuccessRate * gatedRuns;
    std::cout << "\n"
              << hangs << " hung; " << gatedFalse << " false successes in " << gatedRuns
              << " runs at rates up to " << kGatedRate << " per byte" << (tooManyFalse ? ": too many" : "")
              << "; " << wrongAfterRecovery << " devices with a wrong identity after their recovery\n";
    return hangs > 0 || tooManyFalse || wrongAfterRecovery > 0 ? 1 : 0;
}

int soak(const Settings& settings, const SoakFirmware& firmware) {
    const std::vector<Cell> cells = cellsOf(settings);
    const std::size_t perCell = (static_cast<std::size_t>(settings.runs) + cells.size() - 1) / cells.size();
    std::cout << "rqsoak: " << perCell << " seeded whole updates per row, " << perCell * cells.size()
              << " in all; a run that has not ended after "
              << std::chrono::duration_cast<std::chrono::minutes>(kHangBound).count()
              << " min of virtual time is hung\n";
    const std::vector<RunOutcome> outcomes = runAll(cells, perCell, settings.jobs, firmware);

    std::vector<CellStats> table;
    std::vector<Listed> falseSuccesses;
    std::vector<Listed> unrecovered;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        table.push_back(
            tally(cells[c], std::span(outcomes).subspan(c * perCell, perCell), falseSuccesses, unrecovered));
    }
    for (const bool verifyIdentity : settings.readBacks) printTable(table, verifyIdentity);
    printListed("False successes", falseSuccesses);
    printListed("Recoveries not complete", unrecovered);
    if (settings.sweep) printSweep(sweepSingleFaults());
    return verdict(table);
}

}  // namespace
}  // namespace rq::soak

int main(int argc, char** argv) {
    using namespace rq::soak;
    const auto settings = parse(argc, argv);
    if (!settings) {
        std::cerr << kUsage;
        return 2;
    }
    const rq::test::TempDir dir;
    const SoakFirmware firmware = writeSoakFirmware(dir.path("soak.bin"));
    if (settings->replay) return replay(settings->replay->first, settings->replay->second, firmware);
    return soak(*settings, firmware);
}
