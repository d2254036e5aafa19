// The runner's command line: words of the input's choosing, split at NUL bytes, through the option
// groups that every subcommand shares.

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
    for (const std::string& arg : args) comPortNumber(arg);

    cli::PortOptions port;
    cli::SimOptions sim;
    cli::OutputOptions output;
    cli::ArgReader reader(args);
    bool refused = false;
    while (!reader.done() && !refused) {
        const std::string& word = reader.next();
        if (!cli::isOption(word)) continue;
        std::string error;
        const bool taken = cli::takePortOption(word, reader, port, error) ||
                           cli::takeSimOption(word, reader, sim, error) ||
                           cli::takeOutputOption(word, reader, output, error);
        refused = !taken || !error.empty();
    }
    if (refused) return 0;
    fuzz::require(parseLineSettings(port.settings.lineSettingsText()).has_value(),
                  "accepted options make line settings that parse");
    if (!cli::checkSimOptions(sim, port)) {
        fuzz::require(!sim.simulate || comPortNumber(port.port).has_value(),
                      "a simulated device sits at COMn");
        for (const cli::DeviceFault& fault : sim.deviceFaults) {
            fuzz::require(fault.device == comPortNumber(port.port),
                          "a fault for one device is for the simulated one");
        }
    }
    return 0;
}
