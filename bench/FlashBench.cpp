#include "FlashBench.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <future>
#include <string>

#include "BenchSupport.h"
#include "core/flash/FlashFrames.h"
#include "core/io/LineSettings.h"
#include "core/wizard/DeviceSteps.h"
#include "platform/SteadyClock.h"
#include "sim/FirmwareGenerator.h"
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

UpdateFigures runUpdate(bool instantLine, std::uint8_t speedIndex, const sim::DeviceTimings& timings) {
    SteadyClock realClock;
    sim::RqSystemOptions options;
    options.instantLine = instantLine;
    options.timings = timings;
    auto device = sim::makeRqSystem(realClock, options);
    device->setFwSwitch(true);
    device->setPower(true);
    sim::SimPort simPort(*device);
    MeteredPort port(simPort);
    MeteredClock clock(realClock);
    SilentView view;
    WizardState state;
    state.firmware.contents = sim::generateFirmware({});
    state.firmware.length = state.firmware.contents.size();
    state.firmware.valid = true;
    state.commSettings.UpBaudrateIndex = speedIndex;
    StepContext context{state, port, clock, view};

    const std::clock_t cpuStart = std::clock();
    const Micros wallStart = realClock.now();
    subStep5FwUpdate(context);
    UpdateFigures figures;
    figures.wall = realClock.now() - wallStart;
    figures.cpu = Seconds(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
    figures.succeeded = state.LinkError == 0;
    figures.prescribedWaits = clock.waited();
    figures.lineTime = port.lineTime();
    return figures;
}

void reportInstantLine() {
    // No device work either, so that what is left besides the prescribed waits is the step's own cost.
    sim::DeviceTimings instantDevice;
    instantDevice.reply = instantDevice.chipErase = instantDevice.blockWrite = Micros(0);
    instantDevice.blockVerify = instantDevice.securitySet = instantDevice.parameterInit = Micros(0);
    const UpdateFigures run = runUpdate(true, 5, instantDevice);
    const std::string name = "flash, instant line, real clock: ";
    if (!run.succeeded) std::printf("%sUPDATE FAILED\n", name.c_str());
    print(name + "wall time", run.wall);
    print(name + "prescribed waits", run.prescribedWaits);
    print(name + "overhead (target < 0.25 s)", run.wall - run.prescribedWaits);
    print(name + "CPU time (target < 0.5 s)", run.cpu);
}

void reportTimedLine(std::uint8_t speedIndex, const UpdateFigures& run, const sim::DeviceTimings& timings) {
    const std::string name =
        "flash, line timed at " + std::to_string(kProgrammingBaudRates[speedIndex]) + ": ";
    if (!run.succeeded) std::printf("%sUPDATE FAILED\n", name.c_str());
    printAgainstFloor(name, run.wall, run.lineTime + run.prescribedWaits + deviceWork(timings), "1.03");
}

}  // namespace

void runFlashBenchmarks() {
    reportInstantLine();
    // The two timed runs mostly wait on the line, so they share the time.
    const sim::DeviceTimings timings;
    constexpr std::uint8_t kSpeed38400 = 3;
    constexpr std::uint8_t kSpeed153600 = 5;
    auto slow = std::async(std::launch::async, [&] { return runUpdate(false, kSpeed38400, timings); });
    const UpdateFigures fast = runUpdate(false, kSpeed153600, timings);
    reportTimedLine(kSpeed38400, slow.get(), timings);
    reportTimedLine(kSpeed153600, fast, timings);
}

}  // namespace rq
