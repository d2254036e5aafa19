#include "cli/PortsCommand.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "core/log/Json.h"
#include "core/settings/PortConf.h"

namespace rq::cli {
namespace {

std::string hex4(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", static_cast<unsigned>(id));
    return text;
}

std::string comName(const PortReport& report) {
    return "COM" + std::to_string(report.port.number);
}

std::string whyNot(const PortReport& report) {
    return report.failure ? report.failure->reason : "not found";
}

// What the system tells of the device (a USB adapter tells most), by their JSON names, those it knows.
std::vector<std::pair<const char*, std::string>> systemFields(const ListedPort& device) {
    std::vector<std::pair<const char*, std::string>> fields;
    const auto add = [&fields](const char* name, const std::string& value) {
        if (!value.empty()) fields.emplace_back(name, value);
    };
    if (device.vendorId) add("vendorId", hex4(*device.vendorId));
    if (device.productId) add("productId", hex4(*device.productId));
    add("manufacturer", device.manufacturer);
    add("description", device.description);
    add("serialNumber", device.serialNumber);
    return fields;
}

std::string textLine(const PortReport& report) {
    std::string line = portItemText({report.port.number, report.port.device.path});
    line += report.opens ? "  opens" : "  does not open: " + whyNot(report);
    if (report.failure) {
        if (const std::string fix = remedy(*report.failure); !fix.empty()) line += "; " + fix;
    }
    const ListedPort& device = report.port.device;
    if (device.usb) line += "  USB";
    // Appended piece by piece: GCC 12 at -O3 reports a false overlap for a chain of + here.
    if (device.vendorId && device.productId)
        line.append(" ").append(hex4(*device.vendorId)).append(":").append(hex4(*device.productId));
    for (const std::string* said : {&device.manufacturer, &device.description}) {
        if (!said->empty()) line.append("  ").append(*said);
    }
    if (!device.serialNumber.empty()) line.append("  serial number ").append(device.serialNumber);
    return line;
}

std::string jsonObject(const PortReport& report) {
    std::string object = "{\"port\":" + jsonString(comName(report)) +
                         ",\"path\":" + jsonString(report.port.device.path) +
                         ",\"opens\":" + (report.opens ? "true" : "false");
    if (!report.opens) object += ",\"reason\":" + jsonString(whyNot(report));
    if (report.failure) {
        if (const std::string fix = remedy(*report.failure); !fix.empty())
            object += ",\"remedy\":" + jsonString(fix);
    }
    object += std::string(",\"usb\":") + (report.port.device.usb ? "true" : "false");
    for (const auto& [name, value] : systemFields(report.port.device))
        object += std::string(",\"") + name + "\":" + jsonString(value);
    return object + "}";
}

}  // namespace

void printPorts(const std::vector<PortReport>& reports, std::ostream& out, bool json) {
    if (json) {
        out << "[";
        for (std::size_t i = 0; i < reports.size(); ++i) out << (i == 0 ? "" : ",") << jsonObject(reports[i]);
        out << "]\n";
        return;
    }
    if (reports.empty()) out << "No serial ports found.\n";
    for (const PortReport& report : reports) out << textLine(report) << "\n";
}

const char* const kPortsSynopsis =
    "  rqfwup-cli ports [--json]                  list the serial ports as the settings dialog numbers "
    "them,\n"
    "                                             whether each opens, and what a USB adapter tells of "
    "itself\n";

int runPorts(const std::vector<std::string>& args, const Io& io) {
    bool json = false;
    for (const std::string& word : args) {
        if (word != "--json") return wrongCommandLine(io, "ports takes --json only, not '" + word + "'");
        json = true;
    }
    QtPort port;
    printPorts(surveyPorts(port), io.out, json);
    return 0;
}

}  // namespace rq::cli
