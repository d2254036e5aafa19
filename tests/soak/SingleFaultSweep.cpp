#include "SingleFaultSweep.h"

#include <array>
#include <optional>

#include "SoakSupport.h"
#include "core/wizard/DeviceSteps.h"
#include "sim/RqSystem.h"
#include "sim/SimPort.h"
#include "sim/VirtualClock.h"

namespace rq::soak {
namespace {

constexpr std::array<FaultKind, 4> kKinds = {FaultKind::Flip, FaultKind::Drop, FaultKind::Duplicate,
                                             FaultKind::Insert};

// Hits the byte at one position of everything the device sends, counted from the first.
class OneFaultPort final : public ForwardingPort {
  public:
    OneFaultPort(Port& inner, std::optional<std::size_t> at, FaultKind kind)
        : ForwardingPort(inner), at_(at), kind_(kind) {}

    std::size_t received() const { return received_; }

    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        std::vector<std::uint8_t> bytes = ForwardingPort::read(atLeast, timeout);
        const std::size_t first = received_;
        received_ += bytes.size();
        if (!at_ || *at_ < first || *at_ >= received_) return bytes;
        const auto hit = bytes.begin() + static_cast<std::ptrdiff_t>(*at_ - first);
        const std::size_t position = *at_;
        switch (kind_) {
            case FaultKind::Flip:
                *hit ^= static_cast<std::uint8_t>(1u << (position % 8));
                break;
            case FaultKind::Drop:
                bytes.erase(hit);
                break;
            case FaultKind::Duplicate:
                bytes.insert(hit, *hit);
                break;
            case FaultKind::Insert:
                bytes.insert(hit, static_cast<std::uint8_t>(mix(position)));
                break;
        }
        return bytes;
    }

  private:
    std::optional<std::size_t> at_;
    FaultKind kind_;
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
    auto device = sim::makeRqSystem(clock, {});
    giveIdentity(*device, identity);
    device->setPower(true);
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
