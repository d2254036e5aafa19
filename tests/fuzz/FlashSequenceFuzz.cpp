// Step 5 against a boot firmware the input plays: it never reports success unless the device
// acknowledged every verified block.

#include <algorithm>

#include "FuzzSupport.h"
#include "core/flash/FlashFrames.h"
#include "core/wizard/DeviceSteps.h"

namespace rq::fuzz {
namespace {

const Bytes kShortAck = {0x02, 0x01, 0x06, 0xF9, 0x03};
const Bytes kLongAck = {0x02, 0x02, 0x06, 0x06, 0xF2, 0x03};
constexpr std::size_t kDataFrame = 260;
constexpr int kBlocks = 512;

// Acknowledges every frame: a data frame with the long status, and the last written block, the
// security data and every command (but the speed change) with the short one.
class BootDevice final : public FuzzedDevice {
  public:
    Bytes soundAnswer(std::span<const std::uint8_t> request) override {
        if (request.size() == kDataFrame) {
            Bytes answer = kLongAck;
            const bool lastWritten = request.back() == 0x03 && !verifying_;
            if (lastWritten) answer.insert(answer.end(), kShortAck.begin(), kShortAck.end());
            return answer;
        }
        if (request.size() > 2 && request[0] == 0x01) verifying_ = request[2] == 0x13;
        if (request.size() > 2 && request[0] == 0x01 && request[2] == 0x9A) return {};
        Bytes answer = kShortAck;
        // The security data is acknowledged twice.
        if (request.size() == 6 && request[0] == 0x02)
            answer.insert(answer.end(), kShortAck.begin(), kShortAck.end());
        return answer;
    }
    Bytes framedAnswer(std::span<const std::uint8_t>, FuzzedDataProvider& input) override {
        const std::uint8_t length = input.ConsumeBool() ? 2 : 1;
        Bytes frame = {0x02, length};
        for (int i = 0; i < length; ++i)
            frame.push_back(input.ConsumeBool() ? 0x06 : input.ConsumeIntegral<std::uint8_t>());
        frame.push_back(frameChecksum(std::span(frame).subspan(1)));
        frame.push_back(0x03);
        return frame;
    }

  private:
    bool verifying_ = false;
};

// The computer's own rule for a status frame, said once more: SUM right, ST1 and ST2 06h.
bool acknowledged(const Bytes& answer) {
    return answer.size() >= 6 && answer[1] == 0x02 && answer[2] == 0x06 && answer[3] == 0x06 &&
           answer[4] == 0xF2;
}

bool everyVerifiedBlockAcknowledged(const std::vector<FuzzedDevicePort::Exchange>& exchanges) {
    const Bytes command = verifyFrame();
    const auto verify = std::find_if(exchanges.rbegin(), exchanges.rend(),
                                     [&](const auto& exchange) { return exchange.sent == command; });
    if (verify == exchanges.rend()) return false;
    const auto blocks = exchanges.end() - verify.base();
    if (blocks != kBlocks) return false;
    return std::all_of(verify.base(), exchanges.end(), [](const auto& exchange) {
        return exchange.sent.size() == kDataFrame && acknowledged(exchange.answered);
    });
}

}  // namespace
}  // namespace rq::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    FuzzedDataProvider input(data, size);
    fuzz::BootDevice device;
    fuzz::FuzzedSteps steps(input, device);
    const WizardState& state = steps.state;
    steps.state.commSettings.UpBaudrateIndex = input.ConsumeIntegralInRange<std::uint8_t>(0, 6);

    subStep5FwUpdate(steps.context);
    const bool succeeded = state.LinkError == 0 && state.programmingResult == 0;
    fuzz::require(!succeeded || fuzz::everyVerifiedBlockAcknowledged(steps.port.exchanges()),
                  "step 5 succeeds only when every verified block was acknowledged");
    fuzz::require(succeeded || state.LinkError != 0, "a failed step 5 leaves an error code");
    return 0;
}
