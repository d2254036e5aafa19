#include "LinkBench.h"

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/wizard/DeviceSteps.h"
#include "platform/SteadyClock.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"

namespace rq {
namespace {

using namespace bench;

// The link's response timer: an accepted answer is followed by the next request one tick later.
constexpr Micros kResponseTick = Millis(10);

struct ParamStep {
    const char* name;
    void (*run)(StepContext&);
    std::size_t batches;          // the last answer of a batch ends it without waiting for a tick
    std::size_t initialisations;  // PARAM_124 requests the device answers after initialising
};

constexpr ParamStep kSteps[] = {{"parameter backup", subStep2ParamRead, 1, 0},
                                {"parameter restore", subStep7ParamWrite, 2, 1}};

struct StepFigures {
    int linkError = 0;
    Seconds wall{0};
    Seconds lineTime{0};
    std::size_t exchanges = 0;
    bool identityKept = true;  // model, serial number and PARAM_04 are what they were before the backup
};

// The least the step can take: every byte's line time, the device's reply to each request and its
// initialisations, and one tick after every answer that leaves requests in its batch.
Seconds floorOf(const ParamStep& step, const StepFigures& run, const sim::DeviceTimings& timings) {
    const auto exchanges = static_cast<Micros::rep>(run.exchanges);
    const auto ticks = exchanges - static_cast<Micros::rep>(step.batches);
    const auto initialisations = static_cast<Micros::rep>(step.initialisations);
    return run.lineTime + exchanges * timings.reply + ticks * kResponseTick +
           initialisations * timings.parameterInit;
}

StepFigures runStep(const ParamStep& step, sim::SimDevice& device, WizardState& state) {
    SteadyClock realClock;
    sim::SimPort simPort(device);
    MeteredPort port(simPort);
    SilentView view;
    StepContext context{state, port, realClock, view};
    state.LinkError = 0;

    const Micros start = realClock.now();
    step.run(context);
    StepFigures figures;
    figures.wall = realClock.now() - start;
    figures.linkError = state.LinkError;
    figures.lineTime = port.lineTime();
    figures.exchanges = port.exchanges();
    return figures;
}

std::string nameOf(const ParamStep& step, const Adapter& adapter) {
    return std::string(step.name) + ", line timed at 307200" + adapter.name + ": ";
}

// The exchanges, and false when the step failed.
bool reportExchanges(const std::string& name, const StepFigures& run) {
    if (run.linkError != 0) {
        std::printf("%sFAILED with code %d\n", name.c_str(), run.linkError);
        return false;
    }
    if (!run.identityKept) std::printf("%sIDENTITY CHANGED\n", name.c_str());
    std::printf("%-78s %9zu\n", (name + "exchanges").c_str(), run.exchanges);
    return true;
}

// The backup, then the restore that writes back the identity the backup read, on a fresh device.
std::vector<StepFigures> runBoth(const sim::RqSystemOptions& options) {
    SteadyClock clock;
    auto device = sim::makeRqSystem(clock, options);
    device->setPower(true);
    const sim::DeviceMemory before = device->memory();
    WizardState state;
    std::vector<StepFigures> runs;
    for (const ParamStep& step : kSteps) {
        runs.push_back(runStep(step, *device, state));
        const sim::DeviceMemory now = device->memory();
        runs.back().identityKept = now.modelName == before.modelName &&
                                   now.serialNumber == before.serialNumber && now.param04 == before.param04;
    }
    return runs;
}

}  // namespace

void runLinkBenchmarks() {
    std::vector<StepFigures> plain;  // the first adapter is none
    for (const Adapter& adapter : kAdapters) {
        sim::RqSystemOptions options;  // a timed line and the device's usual times
        options.adapterLatency = adapter.latency;
        const std::vector<StepFigures> runs = runBoth(options);
        if (plain.empty()) plain = runs;
        for (std::size_t i = 0; i < std::size(kSteps); ++i) {
            const std::string name = nameOf(kSteps[i], adapter);
            if (!reportExchanges(name, runs[i])) continue;
            printRun(name, adapter, runs[i].wall, floorOf(kSteps[i], runs[i], options.timings), plain[i].wall,
                     "1.10");
        }
    }
}

}  // namespace rq
