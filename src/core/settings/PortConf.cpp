#include "core/settings/PortConf.h"

#include <algorithm>
#include <cctype>

namespace rq {
namespace {

template <std::size_t N>
int indexOf(const std::array<std::string_view, N>& list, std::string_view text) {
    const auto it = std::find(list.begin(), list.end(), text);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

template <std::size_t N>
bool inRange(const std::array<std::string_view, N>&, int index) {
    return index >= 0 && index < static_cast<int>(N);
}

int parityIndex(const std::string& parity) {
    if (parity.size() != 1) return -1;
    static constexpr std::string_view kLetters = "ENOSM";
    const auto at = kLetters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(parity[0]))));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

PortProbe probePorts(Port& port) {
    // An open port would answer the first try whatever number it is given.
    port.close();
    const int savedNumber = port.portNumber();
    const std::string savedSettings = port.settings();
    port.setSettings(std::string(kProbeSettings));
    PortProbe probe;
    for (int number = 1; number <= kProbedPorts; ++number) {
        port.setPortNumber(number);
        if (port.open() == PortError::None) {
            probe.found.push_back({number, port.deviceName(number)});
        } else if (std::string why = port.whyNotOpened(); !why.empty()) {
            probe.unopened.push_back(std::move(why));
        }
        port.close();
    }
    port.setPortNumber(savedNumber);
    port.setSettings(savedSettings);
    if (probe.found.empty()) probe.found.push_back({0, ""});
    return probe;
}

PortConfModel loadPortConf(PortProbe probe, int currentPort, const CommSettings& settings) {
    PortConfModel model;
    std::vector<FoundPort>& ports = probe.found;
    const auto current = std::find_if(ports.begin(), ports.end(),
                                      [currentPort](const FoundPort& p) { return p.number == currentPort; });
    model.portIndex = current == ports.end() ? 0 : static_cast<int>(current - ports.begin());
    model.ports = std::move(ports);
    model.unopened = std::move(probe.unopened);
    model.baudIndex = indexOf(kCommBaudrates, settings.CommBaudrate);
    model.upBaudIndex = settings.UpBaudrateIndex < kUpBaudrates.size() ? settings.UpBaudrateIndex : -1;
    model.parityIndex = parityIndex(settings.Parity);
    model.dataBitsIndex = indexOf(kDataBitsNames, settings.DataBits);
    model.stopBitsIndex = indexOf(kStopBitsNames, settings.StopBits);
    model.flowIndex = settings.FlowCtl < kFlowNames.size() ? settings.FlowCtl : -1;
    return model;
}

std::string portItemText(const FoundPort& port) {
    const std::string name = "COM" + std::to_string(port.number);
    // On Windows the device's own name is COMn already.
    if (port.device.empty() || port.device == name) return name;
    return name + "  (" + port.device + ")";
}

void applyPortConf(const PortConfSelection& selection, CommSettings& settings) {
    if (selection.portNumber >= 0 && selection.portNumber <= 255) {
        settings.ComPort = static_cast<std::uint8_t>(selection.portNumber);
    }
    if (inRange(kCommBaudrates, selection.baudIndex)) {
        settings.CommBaudrate = std::string(kCommBaudrates[selection.baudIndex]);
    }
    if (inRange(kUpBaudrates, selection.upBaudIndex)) {
        settings.UpBaudrateIndex = static_cast<std::uint8_t>(selection.upBaudIndex);
    }
    if (inRange(kParityNames, selection.parityIndex)) {
        settings.Parity = std::string(kParityNames[selection.parityIndex].substr(0, 1));
    }
    if (inRange(kDataBitsNames, selection.dataBitsIndex)) {
        settings.DataBits = std::string(kDataBitsNames[selection.dataBitsIndex]);
    }
    if (inRange(kStopBitsNames, selection.stopBitsIndex)) {
        settings.StopBits = std::string(kStopBitsNames[selection.stopBitsIndex]);
    }
    if (inRange(kFlowNames, selection.flowIndex))
        settings.FlowCtl = static_cast<std::uint8_t>(selection.flowIndex);
}

}  // namespace rq
