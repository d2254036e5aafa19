#include "FlashBench.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <span>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/flash/FlashFrames.h"
#include "core/io/LineSettings.h"
#include "core/wizard/DeviceSteps.h"
#include "platform/ProcessorTime.h"
#include "platform/SteadyClock.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"

namespace rq {
namespace {

using namespace bench;

// What the simulated device spends on its own work in one whole update, statuses on the line aside.
Seconds deviceWork(const sim::DeviceTimings& timings) {
    constexpr int kRepliedCommands = 6;  // two resets, clock, programming, security and verify commands
    const Micros work = kRepliedCommands * timings.reply + timings.chipErase +
                        kImageBlocks * (timings.blockWrite + timings.blockVerify) + timings.securitySet;
    return work;
}

struct UpdateFigures {
    bool succeeded = false;
    Seconds wall{0};
    Seconds cpu{0};
    Seconds prescribedWaits{0};
    Seconds lineTime{0};
};

UpdateFigures runUpdate(const sim::RqSystemOptions& options, std::uint8_t speedIndex) {
    SteadyClock realClock;
    auto device = sim::makeRqSystem(realClock, options);
    device->setFwSwitch(true);
    device->setPower(true);
    sim::SimPort simPort(*device);
    MeteredPort port(simPort);
    MeteredClock clock(realClock);
    SilentView view;
    WizardState state;
    state.firmware = generatedFirmware();
    state.commSettings.UpBaudrateIndex = speedIndex;
    StepContext context{state, port, clock, view};

    const auto cpuStart = processorTime();
    const Micros wallStart = realClock.now();
    subStep5FwUpdate(context);
    UpdateFigures figures;
    figures.wall = realClock.now() - wallStart;
    figures.cpu = processorTime() - cpuStart;
    figures.succeeded = state.LinkError == 0;
    figures.prescribedWaits = clock.waited();
    figures.lineTime = port.lineTime();
    return figures;
}

void reportFailure(const std::string& name, const UpdateFigures& run) {
    if (!run.succeeded) std::printf("%sUPDATE FAILED\n", name.c_str());
}

void reportInstantLine() {
    // No device work either, so that what is left besides the prescribed waits is the step's own cost.
    sim::RqSystemOptions options;
    options.instantLine = true;
    sim::DeviceTimings& instantDevice = options.timings;
    instantDevice.reply = instantDevice.chipErase = instantDevice.blockWrite = Micros(0);
    instantDevice.blockVerify = instantDevice.securitySet = instantDevice.parameterInit = Micros(0);
    const UpdateFigures run = runUpdate(options, 5);
    const std::string name = "flash, instant line, real clock: ";
    reportFailure(name, run);
    print(name + "wall time", run.wall);
    print(name + "prescribed waits", run.prescribedWaits);
    print(name + "overhead (target < 0.25 s)", run.wall - run.prescribedWaits);
    print(name + "CPU time (target < 0.5 s)", run.cpu);
}

}  // namespace

void runFlashBenchmarks() {
    reportInstantLine();
    // The timed runs mostly wait on the line, so they share the time.
    constexpr std::uint8_t kSpeeds[] = {3, 5};  // 38400 and 153600 bit/s
    std::vector<std::future<UpdateFigures>> runs;
    for (const std::uint8_t speedIndex : kSpeeds) {
        for (const Adapter& adapter : kAdapters) {
            sim::RqSystemOptions options;
            options.adapterLatency = adapter.latency;
            runs.push_back(std::async(std::launch::async, runUpdate, options, speedIndex));
        }
    }
    auto run = runs.begin();
    for (const std::uint8_t speedIndex : kSpeeds) {
        Seconds plainWall{0};  // the first adapter is none
        for (const Adapter& adapter : kAdapters) {
            const UpdateFigures figures = (run++)->get();
            const std::string name = "flash, line timed at " +
                                     std::to_string(kProgrammingBaudRates[speedIndex]) + adapter.name + ": ";
            reportFailure(name, figures);
            if (adapter.latency == Millis(0)) plainWall = figures.wall;
            const Seconds floor =
                figures.lineTime + figures.prescribedWaits + deviceWork(sim::DeviceTimings{});
            printRun(name, adapter, figures.wall, floor, plainWall, "1.03");
        }
    }
}

}  // namespace rq
