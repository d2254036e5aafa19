// The serial number check of the forced update.

#include <string_view>

#include "FuzzSupport.h"
#include "core/wizard/ForceUpdate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    const std::string_view entry(reinterpret_cast<const char*>(data), size);
    if (checkSerialEntry(entry)) return 0;
    fuzz::require(isNumericText(entry) && entry.size() == 5,
                  "only five characters that read as a number pass");
    ParameterStore store;
    storeModelAndSerial({"RQA-4021", std::string(entry)}, store);
    fuzz::require(store.SerialNumber.size() == 6 && store.SerialNumber.back() == ' ',
                  "the serial number is stored as six characters");
    return 0;
}
