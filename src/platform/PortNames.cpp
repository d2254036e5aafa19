#include "platform/PortNames.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>

namespace rq {
namespace {

// Compares digit runs by value, so that ttyS2 sorts before ttyS10.
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && isDigit(a[i])) ++i;
            while (j < b.size() && isDigit(b[j])) ++j;
            std::string_view runA(a.data() + startA, i - startA);
            std::string_view runB(b.data() + startB, j - startB);
            while (runA.size() > 1 && runA.front() == '0') runA.remove_prefix(1);
            while (runB.size() > 1 && runB.front() == '0') runB.remove_prefix(1);
            if (runA.size() != runB.size()) return runA.size() < runB.size();
            if (runA != runB) return runA < runB;
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

bool listedOnThisSystem(const QSerialPortInfo& info) {
#ifdef Q_OS_MACOS
    // Every device appears twice there; the call-out device is the one to open.
    return info.systemLocation().startsWith(QStringLiteral("/dev/cu."));
#else
    (void)info;
    return true;
#endif
}

#ifdef Q_OS_WIN
std::optional<int> comNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6) return std::nullopt;
    if (std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M') {
        return std::nullopt;
    }
    int number = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
        number = number * 10 + (name[i] - '0');
    }
    return number > 0 ? std::optional<int>(number) : std::nullopt;
}
#endif

}  // namespace

std::vector<std::string> numberingOrder(std::vector<ListedPort> ports) {
    std::sort(ports.begin(), ports.end(), [](const ListedPort& a, const ListedPort& b) {
        if (a.usb != b.usb) return a.usb;
        return naturalLess(a.path, b.path);
    });
    std::vector<std::string> paths;
    paths.reserve(ports.size());
    for (ListedPort& port : ports) paths.push_back(std::move(port.path));
    return paths;
}

PortTable PortTable::fromSystem() {
    std::vector<ListedPort> listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!listedOnThisSystem(info)) continue;
        const bool usb = info.hasVendorIdentifier() || info.hasProductIdentifier();
        listed.push_back({info.systemLocation().toStdString(), usb});
    }
    return PortTable(numberingOrder(std::move(listed)));
}

#ifdef Q_OS_WIN

std::string PortTable::deviceName(int number) const {
    return number > 0 ? "COM" + std::to_string(number) : std::string();
}

int PortTable::registerDevicePath(const std::string& path) {
    return comNumber(path).value_or(0);
}

#else

std::string PortTable::deviceName(int number) const {
    if (number < 1 || static_cast<std::size_t>(number) > devices_.size()) return {};
    return devices_[static_cast<std::size_t>(number) - 1];
}

int PortTable::registerDevicePath(const std::string& path) {
    const auto it = std::find(devices_.begin(), devices_.end(), path);
    if (it == devices_.end()) {
        devices_.push_back(path);
        return static_cast<int>(devices_.size());
    }
    return static_cast<int>(it - devices_.begin()) + 1;
}

#endif

}  // namespace rq
