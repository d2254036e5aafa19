#include "LinkBench.h"

#include <cstdio>
#include <functional>
#include <vector>

#include "BenchSupport.h"
#include "core/wizard/DeviceSteps.h"
#include "platform/SteadyClock.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"

namespace rq {
namespace {

using namespace bench;

constexpr Micros kResponseTick = Millis(10);

struct ParamStep {
    const char* name;
    void (*run)(StepContext&);
    std::vector<std::size_t> batches;  // requests per batch, in order
    std::size_t initialisingExchange;  // the one the device answers after initialising; SIZE_MAX: none
};

// The least a step can take: each exchange's line time and the device's reply, then, unless it ends its
// batch, the tick that starts at the answer; the initialisation takes the device's own time on top.
Seconds floorOf(const ParamStep& step, const std::vector<Seconds>& exchanges,
                const sim::DeviceTimings& timings) {
    Seconds floor{0};
    std::size_t at = 0;
    for (const std::size_t batch : step.batches) {
        for (std::size_t i = 0; i < batch && at < exchanges.size(); ++i, ++at) {
            Seconds exchange = exchanges[at] + Seconds(timings.reply);
            if (at == step.initialisingExchange) exchange += Seconds(timings.parameterInit);
            if (i + 1 < batch) exchange += Seconds(kResponseTick);
            floor += exchange;
        }
    }
    return floor;
}

void report(const ParamStep& step, sim::SimDevice& device, WizardState& state,
            const sim::DeviceTimings& timings) {
    SteadyClock realClock;
    sim::SimPort simPort(device);
    MeteredPort port(simPort);
    MeteredClock clock(realClock);
    SilentView view;
    StepContext context{state, port, clock, view};
    state.LinkError = 0;

    const Micros start = realClock.now();
    step.run(context);
    const Seconds wall = realClock.now() - start;
    const std::string name = std::string(step.name) + ", line timed at 307200: ";
    if (state.LinkError != 0) std::printf("%sFAILED with %d\n", name.c_str(), state.LinkError);
    std::printf("%-72s %9zu\n", (name + "exchanges").c_str(), port.exchanges().size());
    printAgainstFloor(name, wall, floorOf(step, port.exchanges(), timings), "1.10");
}

}  // namespace

void runLinkBenchmarks() {
    SteadyClock clock;
    const sim::RqSystemOptions options;  // a timed line and the device's usual times
    auto device = sim::makeRqSystem(clock, options);
    device->setPower(true);
    WizardState state;  // the restore writes back what the backup read
    report({"parameter backup", subStep2ParamRead, {7}, SIZE_MAX}, *device, state, options.timings);
    report({"parameter restore", subStep7ParamWrite, {2, 5}, 1}, *device, state, options.timings);
}

}  // namespace rq
