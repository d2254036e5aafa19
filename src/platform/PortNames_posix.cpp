#include <QSerialPortInfo>
#include <algorithm>

#include "platform/PortNames.h"

namespace rq {

std::string openingName(const QSerialPortInfo& info) {
    const QString path = info.systemLocation();
#ifdef Q_OS_MACOS
    // Every device appears twice there; the call-out device is the one to open.
    if (!path.startsWith(QStringLiteral("/dev/cu."))) return {};
#endif
    return path.toStdString();
}

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

}  // namespace rq
