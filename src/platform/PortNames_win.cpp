#include <QSerialPortInfo>
#include <algorithm>

#include "core/io/CommSettings.h"
#include "platform/PortNames.h"

namespace rq {
namespace {

// COMn in any case, also as the device path \\.\COMn.
std::optional<int> systemComNumber(const std::string& name) {
    QString upper = QString::fromStdString(name).toUpper();
    if (upper.startsWith(QStringLiteral("\\\\.\\"))) upper.remove(0, 4);
    return comPortNumber(upper.toStdString());
}

}  // namespace

// QSerialPort reaches every port by its name, COM10 and above too.
std::string openingName(const QSerialPortInfo& info) {
    return info.portName().toStdString();
}

// COMn is the system's own name, so finding it needs no listing.
std::string PortTable::currentDevice(int number) {
    return deviceName(number);
}

std::string PortTable::deviceName(int number) const {
    return number > 0 ? "COM" + std::to_string(number) : std::string();
}

std::vector<NumberedPort> PortTable::ports() const {
    std::vector<NumberedPort> numbered;
    for (const ListedPort& port : listed_) {
        if (const auto number = systemComNumber(port.path)) numbered.push_back({*number, port});
    }
    std::sort(numbered.begin(), numbered.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });
    return numbered;
}

int PortTable::registerDevicePath(const std::string& path) {
    return systemComNumber(path).value_or(0);
}

}  // namespace rq
