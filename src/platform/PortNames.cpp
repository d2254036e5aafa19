#include "platform/PortNames.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <cctype>
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

[[maybe_unused]] std::optional<int> comNumber(const std::string& name) {
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

}  // namespace

std::vector<ListedPort> systemPorts() {
    std::vector<ListedPort> listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (!listedOnThisSystem(info)) continue;
        ListedPort port;
        port.path = info.systemLocation().toStdString();
        port.usb = info.hasVendorIdentifier() || info.hasProductIdentifier();
        if (info.hasVendorIdentifier()) port.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier()) port.productId = info.productIdentifier();
        port.manufacturer = info.manufacturer().toStdString();
        port.description = info.description().toStdString();
        port.serialNumber = info.serialNumber().toStdString();
        listed.push_back(std::move(port));
    }
    return listed;
}

std::vector<ListedPort> numberingOrder(std::vector<ListedPort> ports) {
    std::sort(ports.begin(), ports.end(), [](const ListedPort& a, const ListedPort& b) {
        if (a.usb != b.usb) return a.usb;
        return naturalLess(a.path, b.path);
    });
    return ports;
}

PortTable::PortTable(Lister lister, std::chrono::milliseconds reuseFor)
    : lister_(std::move(lister)), reuseFor_(reuseFor) {
    refresh();
}

PortTable PortTable::system() {
    return PortTable(systemPorts, std::chrono::seconds(1));
}

void PortTable::refresh() {
    listed_ = numberingOrder(lister_());
    listedAt_ = std::chrono::steady_clock::now();
}

#ifdef Q_OS_WIN

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
        if (const auto number = comNumber(port.path)) numbered.push_back({*number, port});
    }
    std::sort(numbered.begin(), numbered.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });
    return numbered;
}

int PortTable::registerDevicePath(const std::string& path) {
    return comNumber(path).value_or(0);
}

#else

std::string PortTable::currentDevice(int number) {
    if (std::chrono::steady_clock::now() - listedAt_ >= reuseFor_) refresh();
    return deviceName(number);
}

std::string PortTable::deviceName(int number) const {
    if (const auto pinned = pinned_.find(number); pinned != pinned_.end()) return pinned->second;
    if (number < 1 || static_cast<std::size_t>(number) > listed_.size()) return {};
    return listed_[static_cast<std::size_t>(number) - 1].path;
}

std::vector<NumberedPort> PortTable::ports() const {
    std::vector<NumberedPort> numbered;
    for (std::size_t i = 0; i < listed_.size(); ++i)
        numbered.push_back({static_cast<int>(i) + 1, listed_[i]});
    return numbered;
}

int PortTable::registerDevicePath(const std::string& path) {
    for (const auto& [number, pinnedPath] : pinned_) {
        if (pinnedPath == path) return number;
    }
    const auto listed = std::find_if(listed_.begin(), listed_.end(),
                                     [&path](const ListedPort& port) { return port.path == path; });
    int number = static_cast<int>(listed - listed_.begin()) + 1;
    if (listed == listed_.end() || pinned_.count(number) != 0) {
        number = static_cast<int>(listed_.size()) + 1;
        if (!pinned_.empty()) number = std::max(number, pinned_.rbegin()->first + 1);
    }
    pinned_[number] = path;
    return number;
}

#endif

}  // namespace rq
