#include "FlashBench.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <future>
#include <string>

#include "core/flash/FlashFrames.h"
#include "core/io/LineSettings.h"
#include "core/wizard/DeviceSteps.h"
#include "platform/SteadyClock.h"
#include "sim/FirmwareGenerator.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"

namespace rq {
namespace {

using Seconds = std::chrono::duration<double>;

// The clock the step sees: real time, adding up every wait the step itself asks for.
class MeteredClock final : public Clock {
  public:
    explicit MeteredClock(Clock& real) : real_(real) {}
    Micros now() const override { return real_.now(); }
    void sleepUntil(Micros when) override {
        waited_ += std::max(when - now(), Micros(0));
        real_.sleepUntil(when);
    }
    Micros waited() const { return waited_; }

  private:
    Clock& real_;
    Micros waited_{0};
};

// The port the step sees: the simulated one, adding up the time each byte it carries takes on the line.
class MeteredPort final : public Port {
  public:
    explicit MeteredPort(Port& port) : port_(port) {}
    Seconds lineTime() const { return lineTime_; }

    void setPortNumber(int number) override { port_.setPortNumber(number); }
    int portNumber() const override { return port_.portNumber(); }
    std::string deviceName(int number) const override { return port_.deviceName(number); }
    PortError setSettings(const std::string& text) override { return port_.setSettings(text); }
    std::string settings() const override { return port_.settings(); }
    PortError setFlowControl(FlowControl flow) override { return port_.setFlowControl(flow); }
    FlowControl flowControl() const override { return port_.flowControl(); }
    PortError open() override { return port_.open(); }
    void close() override { port_.close(); }
    bool isOpen() const override { return port_.isOpen(); }
    PortError write(std::span<const std::uint8_t> bytes) override {
        carried(bytes.size());
        return port_.write(bytes);
    }
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        std::vector<std::uint8_t> bytes = port_.read(atLeast, timeout);
        carried(bytes.size());
        return bytes;
    }
    void discardInput() override { port_.discardInput(); }
    void discardOutput() override { port_.discardOutput(); }
    void setRts(bool on) override { port_.setRts(on); }
    void setDtr(bool on) override { port_.setDtr(on); }
    bool cts() override { return port_.cts(); }
    bool dsr() override { return port_.dsr(); }

  private:
    void carried(std::size_t bytes) {
        const auto settings = parseLineSettings(port_.settings());
        if (!settings) return;
        lineTime_ += Seconds(static_cast<double>(bytes) * bitsPerCharacter(*settings) / settings->baud);
    }

    Port& port_;
    Seconds lineTime_{0};
};

// A window nobody looks at.
class SilentView final : public WizardView {
  public:
    void setText(Control, const std::string&) override {}
    void setBold(Control, bool) override {}
    void setEnabled(Control, bool) override {}
    void setProgress(const Progress&) override {}
    void setStatus(int, const std::string&) override {}
    void setBusyPointer(bool) override {}
    void stepIndexChanged(int) override {}
    void traceLine(const std::string&) override {}
    void showMessage(const std::string&, const std::string&) override {}
    std::optional<FileChoice> chooseFirmwareFile() override { return std::nullopt; }
    std::optional<ModelSerialEntry> askModelAndSerial() override { return std::nullopt; }
    void showSettingsDialog(const std::optional<PortConfModel>&) override {}
    void endProgram() override {}
};

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

void print(const std::string& name, Seconds value) {
    std::printf("%-64s %9.3f s\n", name.c_str(), value.count());
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
    const Seconds floor = run.lineTime + run.prescribedWaits + deviceWork(timings);
    print(name + "wall time", run.wall);
    print(name + "line-time floor", floor);
    std::printf("%-64s %9.4f\n", (name + "ratio to the floor (target < 1.03)").c_str(), run.wall / floor);
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
