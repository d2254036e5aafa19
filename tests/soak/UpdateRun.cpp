#include "UpdateRun.h"

#include <algorithm>
#include <array>

#include "SoakSupport.h"
#include "core/firmware/FirmwareFile.h"
#include "core/wizard/Wizard.h"
#include "sim/FirmwareGenerator.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"

namespace rq::soak {
namespace {

constexpr std::array<std::string_view, 3> kModeNames = {"normal", "programming", "both"};
constexpr int kEndStepIndex = 7;
// Step indexes whose screens ask the user to power the device off, set the FW switch and power on.
constexpr int kToProgrammingMode = 3;
constexpr int kToNormalMode = 5;

class UpdateRun {
  public:
    UpdateRun(const Cell& cell, std::uint64_t seed, const SoakFirmware& firmware, std::ostream* trace)
        : firmware_(firmware), original_(identityFor(seed)), view_(trace) {
        device_ = deviceWith(clock_, original_, noiseOf(cell, seed));
        simPort_ = std::make_unique<sim::SimPort>(*device_);
        port_ = std::make_unique<CableCutter>(*simPort_, clock_, kHangBound);
        wizard_ = std::make_unique<Wizard>(*port_, clock_, view_);
        wizard_->setTraceEnabled(trace != nullptr);
        wizard_->state().verifyIdentity = cell.verifyIdentity;
    }

    RunOutcome execute();

  private:
    std::optional<Failure> walk();
    Cause judge() const;

    const SoakFirmware& firmware_;
    const Identity original_;
    sim::VirtualClock clock_;
    QuietView view_;
    std::unique_ptr<sim::SimDevice> device_;
    std::unique_ptr<sim::SimPort> simPort_;
    std::unique_ptr<CableCutter> port_;
    std::unique_ptr<Wizard> wizard_;
    std::optional<Identity> backup_;  // what step 2 stored
};

RunOutcome UpdateRun::execute() {
    wizard_->start();
    wizard_->selectFirmwareFile({firmware_.path, "soak.bin"});
    RunOutcome outcome;
    outcome.failure = walk();
    if (outcome.succeeded()) {
        outcome.falseSuccess = judge();
    } else if (!port_->cut() && (outcome.failure->step == 5 || outcome.failure->step == 7)) {
        device_->setLineNoise({});
        Recovery& recovery = outcome.recovery.emplace();
        recovery.failure = walk();
        if (!recovery.failure) recovery.cause = judge();
        recovery.identityWrong = identityOf(device_->memory()) != original_;
    }
    outcome.hung = port_->cut();
    outcome.time = clock_.now();
    return outcome;
}

// Presses Next until the end screen or the first message box, doing what each screen asks.
std::optional<Failure> UpdateRun::walk() {
    while (wizard_->state().StepIndex < kEndStepIndex) {
        const int stepIndex = wizard_->state().StepIndex;
        if (stepIndex == kToProgrammingMode || stepIndex == kToNormalMode) {
            device_->setPower(false);
            device_->setFwSwitch(stepIndex == kToProgrammingMode);
            device_->setPower(true);
        }
        const int shown = view_.messages;
        wizard_->cmdNext();
        if (view_.messages != shown) return Failure{stepIndex + 2, wizard_->lastShownError()};
        if (stepIndex == 0) backup_ = identityOf(wizard_->state().params);
    }
    return std::nullopt;
}

Cause UpdateRun::judge() const {
    const sim::DeviceMemory memory = device_->memory();
    if (!std::equal(memory.flash.begin(), memory.flash.end(), firmware_.expectedFlash.begin(),
                    firmware_.expectedFlash.end())) {
        return Cause::FlashWrong;
    }
    if (identityOf(memory) == original_) return Cause::None;
    if (!backup_ || *backup_ == original_) return Cause::WrittenWrong;
    // A value the store still holds from program start was never received.
    const ParameterStore start;
    const bool neverRead =
        (backup_->model == start.ModelName && original_.model != start.ModelName) ||
        (backup_->serial == start.SerialNumber && original_.serial != start.SerialNumber) ||
        (backup_->param04 == start.Param04Value && original_.param04 != start.Param04Value);
    return neverRead ? Cause::NeverRead : Cause::ReadWrong;
}

}  // namespace

std::string_view modeName(NoiseMode mode) {
    return kModeNames[static_cast<std::size_t>(mode)];
}

std::optional<NoiseMode> modeNamed(std::string_view name) {
    const auto it = std::find(kModeNames.begin(), kModeNames.end(), name);
    if (it == kModeNames.end()) return std::nullopt;
    return static_cast<NoiseMode>(it - kModeNames.begin());
}

sim::LineNoise noiseOf(const Cell& cell, std::uint64_t seed) {
    sim::LineNoise noise = sim::spreadNoise(cell.rate, seed);
    noise.normalMode = cell.mode != NoiseMode::Programming;
    noise.programmingMode = cell.mode != NoiseMode::Normal;
    return noise;
}

std::string_view causeText(Cause cause) {
    static constexpr std::array<std::string_view, 5> kTexts = {
        "none", "flash differs from the image", "identity read wrong in step 2",
        "identity written wrong in step 7", "identity never read in step 2"};
    return kTexts[static_cast<std::size_t>(cause)];
}

SoakFirmware writeSoakFirmware(const std::string& path) {
    const sim::GeneratedFirmware wanted;
    sim::writeFirmwareFile(path, wanted);
    const std::vector<std::uint8_t> file = sim::generateFirmware(wanted);
    SoakFirmware firmware{path, std::vector<std::uint8_t>(kFlashSize, 0xFF)};
    const std::size_t data = std::min(file.size() - kFirmwareHeaderSize, kFlashSize);
    std::copy_n(file.begin() + kFirmwareHeaderSize, data, firmware.expectedFlash.begin());
    return firmware;
}

RunOutcome runUpdate(const Cell& cell, std::uint64_t seed, const SoakFirmware& firmware,
                     std::ostream* trace) {
    return UpdateRun(cell, seed, firmware, trace).execute();
}

}  // namespace rq::soak
