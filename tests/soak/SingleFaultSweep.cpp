#include "SingleFaultSweep.h"

#include <array>
#include <optional>

#include "SoakSupport.h"
#include "core/wizard/DeviceSteps.h"
#include "sim/LineNoise.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"

namespace rq::soak {
namespace {

constexpr std::array<FaultKind, 4> kKinds = {FaultKind::Flip, FaultKind::Drop, FaultKind::Duplicate,
                                             FaultKind::Insert};

// Hits the byte at one position of everything the device sends, counted from the first, as a line that
// has that kind of fault for certain would.
class OneFaultPort final : public ForwardingPort {
  public:
    OneFaultPort(Port& inner, std::optional<std::size_t> at, FaultKind kind)
        : ForwardingPort(inner), at_(at), noise_(certainNoise(kind)), source_(at.value_or(0)) {}

    std::size_t received() const { return received_; }

    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        std::vector<std::uint8_t> bytes = ForwardingPort::read(atLeast, timeout);
        const std::size_t first = received_;
        received_ += bytes.size();
        if (!at_ || *at_ < first || *at_ >= received_) return bytes;
        const auto hit = bytes.begin() + static_cast<std::ptrdiff_t>(*at_ - first);
        const sim::Arrival arrival = source_.pass(*hit, noise_);
        bytes.insert(bytes.erase(hit), arrival.received().begin(), arrival.received().end());
        return bytes;
    }

  private:
    static sim::LineNoise certainNoise(FaultKind kind) {
        return {.flip = double(kind == FaultKind::Flip),
                .drop = double(kind == FaultKind::Drop),
                .duplicate = double(kind == FaultKind::Duplicate),
                .insert = double(kind == FaultKind::Insert)};
    }

    std::optional<std::size_t> at_;
    sim::LineNoise noise_;
    sim::NoiseSource source_;
    std::size_t received_ = 0;
};

struct StepRun {
    std::uint8_t linkError = 0;
    bool identityRight = false;
    std::size_t answerBytes = 0;
};

StepRun runStep(int step, bool verifyIdentity, std::optional<std::size_t> at, FaultKind kind) {
    const Identity identity = identityFor(0);
    sim::VirtualClock clock;
    const auto device = deviceWith(clock, identity);
    sim::SimPort simPort(*device);
    OneFaultPort port(simPort, at, kind);
    QuietView view;
    WizardState state;
    state.verifyIdentity = verifyIdentity;
    StepContext context{state, port, clock, view};
    if (step == 2) {
        subStep2ParamRead(context);
        return {state.LinkError, identityOf(state.params) == identity, port.received()};
    }
    // What the backup of this device stored.
    state.params.ModelName = identity.model;
    state.params.SerialNumber = identity.serial;
    state.params.Param04Value = identity.param04;
    subStep7ParamWrite(context);
    return {state.LinkError, identityOf(device->memory()) == identity, port.received()};
}

}  // namespace

std::string_view kindName(FaultKind kind) {
    static constexpr std::array<std::string_view, 4> kNames = {"flip", "drop", "duplicate", "insert"};
    return kNames[static_cast<std::size_t>(kind)];
}

std::vector<SweepRow> sweepSingleFaults() {
    struct Step {
        int number;
        bool verifyIdentity;
    };
    std::vector<SweepRow> rows;
    for (const Step step : {Step{2, false}, Step{7, false}, Step{7, true}}) {
        const std::size_t answerBytes =
            runStep(step.number, step.verifyIdentity, std::nullopt, {}).answerBytes;
        for (const FaultKind kind : kKinds) {
            SweepRow row{step.number, step.verifyIdentity, kind, 0, {}, 0};
            for (std::size_t at = 0; at < answerBytes; ++at) {
                const StepRun run = runStep(step.number, step.verifyIdentity, at, kind);
                ++row.faults;
                if (run.linkError != 0) {
                    ++row.endedWith[run.linkError];
                } else if (!run.identityRight) {
                    ++row.identityWrong;
                }
            }
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace rq::soak
