// Every command number's request builder and response handler, on records and stores of the
// input's choosing.

#include "FuzzSupport.h"
#include "core/link/Dispatch.h"

namespace {

rq::ParameterStore storeFrom(FuzzedDataProvider& input) {
    rq::ParameterStore store;
    store.ModelName = input.ConsumeRandomLengthString(12);
    store.SerialNumber = input.ConsumeRandomLengthString(10);
    store.Param03Value = input.ConsumeIntegral<std::uint8_t>();
    store.Param04Value = input.ConsumeIntegral<std::uint8_t>();
    store.Param06Value = input.ConsumeIntegral<std::uint8_t>();
    store.AccessModeRequest = input.ConsumeIntegral<std::uint8_t>();
    store.AccessCode = input.ConsumeRandomLengthString(300);
    return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    FuzzedDataProvider input(data, size);
    ParameterStore store = storeFrom(input);
    CommandRecord record;
    record.Status = input.ConsumeIntegral<std::uint8_t>();
    record.ReadWrite = input.ConsumeIntegral<std::uint8_t>();
    record.Length = input.ConsumeIntegral<std::uint8_t>();
    record.Data = input.ConsumeRemainingBytes<std::uint8_t>();
    SilentView view;
    for (int command = 0; command <= 255; ++command) {
        CommandRecord request = record;
        request.Command = static_cast<std::uint8_t>(command);
        BuildRequest(request, store);
        request.Checksum = CalcChecksum(request);
        fuzz::require(encodeRequest(request).size() == request.Length + 11u,
                      "a request is Length + 11 bytes");

        CommandRecord response = record;
        response.Command = static_cast<std::uint8_t>(command);
        const std::string model = store.ModelName;
        const std::string serial = store.SerialNumber;
        ResponseTarget target{store, view, record.ReadWrite};
        DispatchResponse(response, target);
        fuzz::require(store.ModelName == model || store.ModelName.size() == 8,
                      "a model name is 8 characters");
        fuzz::require(store.SerialNumber == serial || store.SerialNumber.size() == 6,
                      "a serial number is 6 characters");
    }
    return 0;
}
