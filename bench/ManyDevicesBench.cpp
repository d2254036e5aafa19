#include "ManyDevicesBench.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <latch>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "core/flash/FlashFrames.h"
#include "core/wizard/Wizard.h"
#include "platform/ProcessorTime.h"
#include "platform/SteadyClock.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"

namespace rq {
namespace {

using namespace bench;

constexpr int kDevices = 4;
constexpr int kEndStepIndex = 7;
// The screens that ask for the panel: programming mode before step 5, normal mode before step 7.
constexpr int kToProgrammingMode = 3;
constexpr int kToNormalMode = 5;

// The window of one device: it only counts the message boxes, each of which is a failure here.
class CountingView final : public SilentView {
  public:
    int messages = 0;
    void showMessage(const std::string&, const std::string&, const std::string&) override { ++messages; }
};

struct DeviceFigures {
    int failedStep = 0;  // 1 to 8; 0 when the update reached its end
    std::uint8_t code = 0;
    Seconds step5{0};
};

// One whole update by a wizard of its own, on this thread, with a device, port and view of its own; the
// device's panel is worked as the screens ask. Step 5 starts once every device has reached its screen,
// as after the one Enter of a production line.
DeviceFigures updateOneDevice(std::uint8_t speedIndex, std::latch& step5Ready) {
    SteadyClock clock;
    auto device = sim::makeRqSystem(clock, {});
    device->setPower(true);
    sim::SimPort port(*device);
    CountingView view;
    Wizard wizard(port, clock, view);
    wizard.state().commSettings.UpBaudrateIndex = speedIndex;
    wizard.start();
    wizard.state().firmware = generatedFirmware();

    DeviceFigures figures;
    while (wizard.state().StepIndex < kEndStepIndex) {
        const int stepIndex = wizard.state().StepIndex;
        if (stepIndex == kToProgrammingMode || stepIndex == kToNormalMode) {
            device->setPower(false);
            device->setFwSwitch(stepIndex == kToProgrammingMode);
            device->setPower(true);
        }
        if (stepIndex == kToProgrammingMode) step5Ready.arrive_and_wait();
        const Micros start = clock.now();
        wizard.cmdNext();
        if (stepIndex == kToProgrammingMode) figures.step5 = clock.now() - start;
        if (view.messages != 0) {
            figures.failedStep = stepIndex + 2;
            figures.code = wizard.lastShownError();
            // The others wait for this one before their step 5.
            if (stepIndex < kToProgrammingMode) step5Ready.count_down();
            break;
        }
    }
    return figures;
}

struct GroupFigures {
    Seconds slowestStep5{0};
    Seconds cpu{0};
    bool succeeded = true;
};

// `devices` updates at once, each on its own thread.
GroupFigures updateAtOnce(int devices, std::uint8_t speedIndex, const std::string& name) {
    std::latch step5Ready(devices);
    const auto cpuStart = processorTime();
    std::vector<std::future<DeviceFigures>> runs;
    for (int i = 0; i < devices; ++i)
        runs.push_back(std::async(std::launch::async, updateOneDevice, speedIndex, std::ref(step5Ready)));
    GroupFigures group;
    for (int i = 0; i < devices; ++i) {
        const DeviceFigures figures = runs[static_cast<std::size_t>(i)].get();
        group.slowestStep5 = std::max(group.slowestStep5, figures.step5);
        if (figures.failedStep == 0) continue;
        group.succeeded = false;
        std::printf("%sdevice %d FAILED in step %d with code %d\n", name.c_str(), i + 1, figures.failedStep,
                    figures.code);
    }
    group.cpu = processorTime() - cpuStart;
    return group;
}

}  // namespace

void runManyDevicesBenchmarks() {
    constexpr std::uint8_t kSpeeds[] = {3, 5};  // 38400 and 153600 bit/s
    for (const std::uint8_t speedIndex : kSpeeds) {
        const std::string name =
            "updates, step 5 at " + std::to_string(kProgrammingBaudRates[speedIndex]) + ": ";
        const GroupFigures alone = updateAtOnce(1, speedIndex, name + "one alone, ");
        const GroupFigures four = updateAtOnce(kDevices, speedIndex, name + "four at once, ");
        if (!alone.succeeded || !four.succeeded) continue;
        print(name + "one alone, step 5 wall time", alone.slowestStep5);
        print(name + "one alone, CPU time", alone.cpu);
        print(name + "four at once, step 5 wall time of the slowest", four.slowestStep5);
        std::printf("%-78s %9.4f\n", (name + "four at once, ratio to one alone (target <= 1.05)").c_str(),
                    four.slowestStep5 / alone.slowestStep5);
        print(name + "four at once, CPU time (target < 0.5 s)", four.cpu);
    }
}

}  // namespace rq
