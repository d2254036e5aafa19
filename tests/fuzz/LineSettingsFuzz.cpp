// The line settings text: what parses prints back to a text that parses the same.

#include <string_view>

#include "FuzzSupport.h"
#include "core/io/LineSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto settings = parseLineSettings(text);
    if (!settings) return 0;
    fuzz::require(parseLineSettings(formatLineSettings(*settings)) == settings,
                  "a settings text round-trips");
    const int bits = bitsPerCharacter(*settings);
    fuzz::require(bits >= 6 && bits <= 12, "a character is 6 to 12 bits on the line");
    return 0;
}
