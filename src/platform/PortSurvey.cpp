#include "platform/PortSurvey.h"

#include "core/settings/PortConf.h"

namespace rq {

std::vector<PortReport> surveyPorts(QtPort& port) {
    port.close();
    port.setSettings(std::string(kProbeSettings));
    PortTable& table = port.portTable();
    table.refresh();
    std::vector<PortReport> reports;
    for (const NumberedPort& listed : table.ports()) {
        port.setPortNumber(listed.number);
        const bool opens = port.open() == PortError::None;
        reports.push_back({listed, opens, opens ? std::nullopt : port.lastOpenFailure()});
        port.close();
    }
    return reports;
}

}  // namespace rq
