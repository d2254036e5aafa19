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

}  // namespace

std::vector<ListedPort> systemPorts() {
    std::vector<ListedPort> listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ListedPort port;
        port.path = openingName(info);
        if (port.path.empty()) continue;
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

}  // namespace rq
