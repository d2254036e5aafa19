// The link engine on the backup and restore batches, against a device the input plays: every batch
// ends, within a bounded time, with a code the steps know.

#include <algorithm>

#include "FuzzSupport.h"
#include "core/wizard/DeviceSteps.h"

namespace rq::fuzz {
namespace {

constexpr std::array<std::uint8_t, 6> kStepCodes = {0, 11, 12, 13, 15, 99};
// The longest wait for one read: the answer to the parameter initialisation.
constexpr Micros kLongestRead = std::chrono::seconds(61);

Bytes frame(std::uint8_t command, std::uint8_t status, std::uint8_t readWrite, const Bytes& data) {
    Bytes bytes(5, 0xFF);
    bytes.insert(bytes.end(), {command, status, readWrite, static_cast<std::uint8_t>(data.size())});
    bytes.insert(bytes.end(), data.begin(), data.end());
    std::uint8_t sum = 0;
    for (std::size_t i = 5; i < bytes.size(); ++i) sum ^= bytes[i];
    bytes.push_back(sum);
    return bytes;
}

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
        return frame(command, 0x00, readWrite, data);
    }
    Bytes framedAnswer(std::span<const std::uint8_t> request, FuzzedDataProvider& input) override {
        const std::uint8_t command = input.ConsumeBool() ? input.ConsumeIntegral<std::uint8_t>()
                                                         : (request.size() > 5 ? request[5] : 0);
        const auto status = input.ConsumeIntegral<std::uint8_t>();
        const auto readWrite = input.ConsumeIntegral<std::uint8_t>();
        return frame(command, status, readWrite,
                     input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(0, 12)));
    }

  private:
    static std::size_t readLength(std::uint8_t command) {
        switch (command) {
            case 1:
                return 8;
            case 2:
                return 6;
            case 4:
            case 5:
            case 6:
                return 2;
            case 127:
                return 1;
            default:
                return 0;
        }
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
