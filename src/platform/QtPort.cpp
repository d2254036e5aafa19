#include "platform/QtPort.h"

#include <chrono>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#endif

namespace rq {
namespace {

using Steady = std::chrono::steady_clock;

// What the serial drivers of this system can do at all.
bool systemTakes(const LineSettings& settings) {
#ifdef Q_OS_WIN
    return settings.dataBits >= 5;
#else
    return settings.dataBits >= 5 && settings.stopBits != StopBits::OneAndHalf;
#endif
}

QSerialPort::Parity qtParity(Parity parity) {
    switch (parity) {
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::None:
            return QSerialPort::NoParity;
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits qtStopBits(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return QSerialPort::OneStop;
        case StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case StopBits::Two:
            return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

// A wait of QSerialPort is given in whole milliseconds; round up so that it never ends early.
int waitMillis(Steady::duration remaining) {
    const auto millis = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    return static_cast<int>(std::min<decltype(millis)>(millis, 60'000));
}

bool isFailure(QSerialPort::SerialPortError error) {
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

// How long writing `bytes` may take before the line counts as stuck: their time at the line's speed,
// plus a margin for the driver.
Steady::duration writeBound(std::size_t bytes, const LineSettings& settings) {
    const auto bits = static_cast<std::int64_t>(bytes) * bitsPerCharacter(settings);
    return std::chrono::microseconds(bits * 1'000'000 / settings.baud) + std::chrono::milliseconds(500);
}

// A pseudo-terminal, and some USB gadgets, have no modem-control lines to read.
bool hasModemLines(QSerialPort& serial) {
#ifdef Q_OS_UNIX
    int lines = 0;
    return ::ioctl(static_cast<int>(serial.handle()), TIOCMGET, &lines) == 0;
#else
    (void)serial;
    return true;
#endif
}

}  // namespace

QtPort::QtPort(PortTable table) : table_(std::move(table)) {}

bool QtPort::applyLineSettings(const LineSettings& settings) {
    const bool speedTaken = serial_.setBaudRate(static_cast<qint32>(settings.baud));
    const bool stopBitsTaken = serial_.setStopBits(qtStopBits(settings.stopBits));
    const bool dataBitsTaken = serial_.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    const bool parityTaken = serial_.setParity(qtParity(settings.parity));
    serial_.clearError();
    // A pseudo-terminal always holds 8 bits without parity; with no line behind it, that does no harm.
    const bool frameTaken = (dataBitsTaken && parityTaken) || !modemLines_;
    return speedTaken && stopBitsTaken && frameTaken;
}

PortError QtPort::setSettings(const std::string& text) {
    const auto parsed = parseLineSettings(text);
    if (!parsed) return PortError::BadSettings;
    if (serial_.isOpen()) {
        if (!systemTakes(*parsed) || !applyLineSettings(*parsed)) {
            applyLineSettings(settings_);
            return PortError::BadSettings;
        }
    }
    settingsText_ = text;
    settings_ = *parsed;
    return PortError::None;
}

PortError QtPort::setFlowControl(FlowControl flow) {
    QSerialPort::FlowControl qtFlow = QSerialPort::NoFlowControl;
    switch (flow) {
        case FlowControl::None:
            qtFlow = QSerialPort::NoFlowControl;
            break;
        case FlowControl::XonXoff:
            qtFlow = QSerialPort::SoftwareControl;
            break;
        case FlowControl::RtsCts:
            qtFlow = QSerialPort::HardwareControl;
            break;
        // QSerialPort knows no mode with both at once.
        case FlowControl::Both:
            return PortError::BadSettings;
    }
    if (!serial_.setFlowControl(qtFlow)) {
        serial_.clearError();
        return PortError::BadSettings;
    }
    flow_ = flow;
    return PortError::None;
}

PortError QtPort::open() {
    if (serial_.isOpen()) return PortError::None;
    const std::string device = table_.deviceName(number_);
    if (device.empty()) return PortError::InvalidPort;
    if (!systemTakes(settings_)) return PortError::BadSettings;
    applyLineSettings(settings_);
    serial_.setPortName(QString::fromStdString(device));
    if (!serial_.open(QIODevice::ReadWrite)) {
        const bool refusedSettings = serial_.error() == QSerialPort::UnsupportedOperationError;
        serial_.clearError();
        return refusedSettings ? PortError::BadSettings : PortError::InvalidPort;
    }
    modemLines_ = hasModemLines(serial_);
    setRts(rts_);
    setDtr(dtr_);
    return PortError::None;
}

void QtPort::close() {
    serial_.close();
    serial_.clearError();
}

PortError QtPort::write(std::span<const std::uint8_t> bytes) {
    if (!serial_.isOpen()) return PortError::NotOpen;
    const auto written =
        serial_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        serial_.clearError();
        return PortError::Io;
    }
    const auto deadline = Steady::now() + writeBound(bytes.size(), settings_);
    while (serial_.bytesToWrite() > 0) {
        const auto remaining = deadline - Steady::now();
        if (remaining <= Steady::duration::zero()) return PortError::Io;
        if (!serial_.waitForBytesWritten(waitMillis(remaining)) && isFailure(serial_.error())) {
            serial_.clearError();
            return PortError::Io;
        }
    }
    return PortError::None;
}

std::vector<std::uint8_t> QtPort::read(std::size_t atLeast, Micros timeout) {
    const auto deadline = Steady::now() + timeout;
    if (!serial_.isOpen()) {
        std::this_thread::sleep_until(deadline);
        return {};
    }
    while (static_cast<std::size_t>(serial_.bytesAvailable()) < atLeast) {
        const auto remaining = deadline - Steady::now();
        if (remaining <= Steady::duration::zero()) break;
        if (!serial_.waitForReadyRead(waitMillis(remaining)) && isFailure(serial_.error())) {
            // A line that fails at once would otherwise turn the caller's wait into a spin.
            serial_.clearError();
            std::this_thread::sleep_until(deadline);
            break;
        }
    }
    const QByteArray data = serial_.readAll();
    return {data.begin(), data.end()};
}

void QtPort::discardInput() {
    if (serial_.isOpen()) serial_.clear(QSerialPort::Input);
}

void QtPort::discardOutput() {
    if (serial_.isOpen()) serial_.clear(QSerialPort::Output);
}

void QtPort::setRts(bool on) {
    rts_ = on;
    if (!serial_.isOpen() || !modemLines_) return;
    // Refused while the RTS/CTS handshake drives the line; the handshake then decides.
    serial_.setRequestToSend(on);
    serial_.clearError();
}

void QtPort::setDtr(bool on) {
    dtr_ = on;
    if (!serial_.isOpen() || !modemLines_) return;
    serial_.setDataTerminalReady(on);
    serial_.clearError();
}

QSerialPort::PinoutSignals QtPort::pinoutSignals() {
    const auto signalsNow = serial_.pinoutSignals();
    serial_.clearError();
    return signalsNow;
}

bool QtPort::cts() {
    if (!serial_.isOpen()) return false;
    if (!modemLines_) return true;
    return (pinoutSignals() & QSerialPort::ClearToSendSignal) != 0;
}

bool QtPort::dsr() {
    if (!serial_.isOpen() || !modemLines_) return false;
    return (pinoutSignals() & QSerialPort::DataSetReadySignal) != 0;
}

}  // namespace rq
