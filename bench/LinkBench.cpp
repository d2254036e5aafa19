#include "LinkBench.h"

#include <cstdio>
#include <string>

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

struct StepFigures {
    int linkError = 0;
    Seconds wall{0};
    Seconds lineTime{0};
    std::size_t exchanges = 0;
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

void report(const ParamStep& step, const StepFigures& run, const sim::DeviceTimings& timings) {
    const std::string name = std::string(step.name) + ", line timed at 307200: ";
    if (run.linkError != 0) {
        std::printf("%sFAILED with code %d\n", name.c_str(), run.linkError);
        return;
    }
    std::printf("%-72s %9zu\n", (name + "exchanges").c_str(), run.exchanges);
    printAgainstFloor(name, run.wall, floorOf(step, run, timings), "1.10");
}

}  // namespace

void runLinkBenchmarks() {
    SteadyClock clock;
    const sim::RqSystemOptions options;  // a timed line and the device's usual times
    auto device = sim::makeRqSystem(clock, options);
    device->setPower(true);
    WizardState state;  // the restore writes back the identity the backup read
    for (const ParamStep& step : {ParamStep{"parameter backup", subStep2ParamRead, 1, 0},
                                  ParamStep{"parameter restore", subStep7ParamWrite, 2, 1}}) {
        report(step, runStep(step, *device, state), options.timings);
    }
}

}  // namespace rq
