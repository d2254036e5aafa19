#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/Port.h"
#include "core/io/WizardView.h"
#include "core/io/CommSettings.h"

namespace rq {

// The lists of the settings dialog, in the order they are shown.
inline constexpr std::array<std::string_view, 11> kCommBaudrates = {
    "110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "56000", "115200", "307200"};
inline constexpr std::array<std::string_view, 5> kParityNames = {"Even", "None", "Odd", "Space", "Mark"};
inline constexpr std::array<std::string_view, 5> kDataBitsNames = {"4", "5", "6", "7", "8"};
inline constexpr std::array<std::string_view, 3> kStopBitsNames = {"1", "1.5", "2"};
inline constexpr std::array<std::string_view, 4> kFlowNames = {"No handshake", "Xon / Xoff", "RTS / CTS",
                                                               "Xon/Xoff RTS/CTS"};

inline constexpr int kProbedPorts = 16;
inline constexpr std::string_view kProbeSettings = "9600,o,8,1";

struct PortProbe {
    std::vector<FoundPort> found;
    std::vector<std::string> unopened;  // why each device that exists did not open
};

// Tries COM1 to COM16 at kProbeSettings and lists those that open; with none, the list is just COM0.
// The port is left closed, its number and settings as they were.
PortProbe probePorts(Port& port);

// The lists' preselection: the port from the port itself, everything else from the settings.
PortConfModel loadPortConf(PortProbe probe, int currentPort, const CommSettings& settings);

// The port list's item: "COM3", with the device's own name beside it where that differs.
std::string portItemText(const FoundPort& port);

// Set: stores the chosen entries. An entry left unselected keeps its setting.
void applyPortConf(const PortConfSelection& selection, CommSettings& settings);

}  // namespace rq
