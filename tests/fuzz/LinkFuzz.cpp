// The link engine on the backup and restore batches, against a device the input plays: every batch
// ends, within a bounded time, with a code the steps know.

#include <algorithm>
#include <map>

#include "FuzzSupport.h"
#include "core/LinkTestSupport.h"
#include "core/wizard/DeviceSteps.h"

namespace rq::fuzz {
namespace {

constexpr std::array<std::uint8_t, 6> kStepCodes = {0, 11, 12, 13, 15, 99};
// The longest wait for one read: the answer to the parameter initialisation.
constexpr Micros kLongestRead = std::chrono::seconds(61);

// Answers a read with data of the command's length, a write with the data it carried.
class NormalDevice final : public FuzzedDevice {
  public:
    Bytes soundAnswer(std::span<const std::uint8_t> request) override {
        if (request.size() < 11) return {};
        const std::uint8_t command = request[5];
        const std::uint8_t readWrite = request[7];
        Bytes data(request.begin() + 9, request.end() - 2);
        if (command == 127) data.resize(1);
        if (readWrite != 1) data.assign(readLength(command), 0x41);
        return test::responseFrame(command, 0x00, data, readWrite);
    }
    Bytes framedAnswer(std::span<const std::uint8_t> request, FuzzedDataProvider& input) override {
        const std::uint8_t command = input.ConsumeBool() ? input.ConsumeIntegral<std::uint8_t>()
                                                         : (request.size() > 5 ? request[5] : 0);
        const auto status = input.ConsumeIntegral<std::uint8_t>();
        const auto readWrite = input.ConsumeIntegral<std::uint8_t>();
        return test::responseFrame(command, status,
                                   input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 12)),
                                   readWrite);
    }

  private:
    // The identity's lengths, and the access mode's one byte.
    static std::size_t readLength(std::uint8_t command) {
        static const std::map<std::uint8_t, std::size_t> kLengths = {{1, 8}, {2, 6}, {4, 2},
                                                                     {5, 2}, {6, 2}, {127, 1}};
        const auto length = kLengths.find(command);
        return length == kLengths.end() ? 0 : length->second;
    }
};

void requireStepCode(std::uint8_t code) {
    require(std::find(kStepCodes.begin(), kStepCodes.end(), code) != kStepCodes.end(),
            "a normal-mode step ends with a code of its own");
}

}  // namespace
}  // namespace rq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    FuzzedDataProvider input(data, size);
    fuzz::NormalDevice device;
    fuzz::FuzzedSteps steps(input, device);
    WizardState& state = steps.state;
    state.verifyIdentity = input.ConsumeBool();

    subStep2ParamRead(steps.context);
    fuzz::requireStepCode(state.LinkError);
    // A failed backup leaves no identity; the restore needs one.
    if (state.params.ModelName.size() < 8 || state.params.SerialNumber.size() < 6) {
        state.params.ModelName = "RQA-4021";
        state.params.SerialNumber = "12345 ";
    }
    state.LinkError = 0;
    subStep7ParamWrite(steps.context);
    fuzz::requireStepCode(state.LinkError);
    // Every read consumes input, or is the one sound answer of a request, or ends a wait.
    const auto reads = static_cast<long>(size) + 64 * static_cast<long>(steps.port.exchanges().size() + 1);
    fuzz::require(steps.clock.now() <= fuzz::kLongestRead * reads, "the batches end in bounded time");
    return 0;
}
