// The runner's command line: words of the input's choosing, split at NUL bytes.

#include "FuzzSupport.h"
#include "cli/Options.h"
#include "core/io/LineSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace rq;
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(static_cast<char>(data[i]));
        }
    }
    for (const std::string& arg : args) cli::comPortNumber(arg);
    const cli::Command command = cli::parseCommandLine(args);
    if (const auto* update = std::get_if<cli::UpdateOptions>(&command)) {
        fuzz::require(!update->firmwarePath.empty(), "an update names its firmware file");
        fuzz::require(parseLineSettings(update->settings.lineSettingsText()).has_value(),
                      "accepted options make line settings that parse");
        fuzz::require(!update->simulate || cli::comPortNumber(update->port).has_value(),
                      "a simulated device sits at COMn");
    } else if (const auto* make = std::get_if<cli::MakeFirmwareOptions>(&command)) {
        fuzz::require(!make->outputPath.empty(), "make-firmware names its output");
    } else if (const auto* error = std::get_if<cli::UsageError>(&command)) {
        fuzz::require(!error->reason.empty(), "a usage error says why");
    }
    return 0;
}
