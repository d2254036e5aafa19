#include "platform/QtPort.h"

#include <chrono>

#include "platform/PreciseSleep.h"

namespace rq {
namespace {

using Steady = std::chrono::steady_clock;

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

QSerialPort::FlowControl qtFlowControl(FlowControl flow) {
    switch (flow) {
        case FlowControl::None:
            return QSerialPort::NoFlowControl;
        case FlowControl::XonXoff:
            return QSerialPort::SoftwareControl;
        // QSerialPort knows no mode with both; XON/XOFF is added on the open line.
        case FlowControl::RtsCts:
        case FlowControl::Both:
            return QSerialPort::HardwareControl;
    }
    return QSerialPort::NoFlowControl;
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

bool QtPort::applyFlowControl(FlowControl flow) {
    const bool taken = serial_.setFlowControl(qtFlowControl(flow));
    serial_.clearError();
    if (!taken) return false;
    return flow != FlowControl::Both || !serial_.isOpen() || setBothFlowControls(serial_.handle());
}

PortError QtPort::setFlowControl(FlowControl flow) {
    if (!applyFlowControl(flow)) {
        applyFlowControl(flow_);
        return PortError::BadSettings;
    }
    flow_ = flow;
    return PortError::None;
}

PortError QtPort::open() {
    if (serial_.isOpen()) return PortError::None;
    lastOpenFailure_.reset();
    const std::string device = table_.currentDevice(number_);
    if (device.empty()) return PortError::InvalidPort;
    if (!systemTakes(settings_)) return PortError::BadSettings;
    applyLineSettings(settings_);
    serial_.setPortName(QString::fromStdString(device));
    if (!serial_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = serial_.error();
        const QString errorText = serial_.errorString();
        serial_.clearError();
        lastOpenFailure_ = diagnoseOpenFailure(device, error, errorText);
        return error == QSerialPort::UnsupportedOperationError ? PortError::BadSettings
                                                               : PortError::InvalidPort;
    }
    modemLines_ = hasModemLines(serial_.handle());
    // A driver that cannot do it (a pseudo-terminal, an on-board port) keeps its own timing.
    lowLatency_(serial_.handle());
    if (!applyFlowControl(flow_)) {
        close();
        return PortError::BadSettings;
    }
    setRts(rts_);
    setDtr(dtr_);
    return PortError::None;
}

std::string QtPort::whyNotOpened() const {
    if (!lastOpenFailure_ || lastOpenFailure_->problem == OpenProblem::Missing) return {};
    return explain(*lastOpenFailure_);
}

void QtPort::close() {
    serial_.close();
    serial_.clearError();
}

bool QtPort::lineGone() {
    return serial_.error() == QSerialPort::ResourceError || hungUp(serial_.handle());
}

void QtPort::closeIfLineFailed() {
    const bool failed = lineGone();
    serial_.clearError();
    if (failed) close();
}

PortError QtPort::write(std::span<const std::uint8_t> bytes) {
    if (!serial_.isOpen()) return PortError::NotOpen;
    const auto written =
        serial_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        closeIfLineFailed();
        return PortError::Io;
    }
    const auto deadline = Steady::now() + writeBound(bytes.size(), settings_);
    while (serial_.bytesToWrite() > 0) {
        const auto remaining = deadline - Steady::now();
        if (remaining <= Steady::duration::zero()) return PortError::Io;
        if (!serial_.waitForBytesWritten(waitMillis(remaining)) && isFailure(serial_.error())) {
            closeIfLineFailed();
            return PortError::Io;
        }
    }
    return PortError::None;
}

std::vector<std::uint8_t> QtPort::read(std::size_t atLeast, Micros timeout) {
    const auto deadline = Steady::now() + timeout;
    if (!serial_.isOpen()) {
        sleepUntil(deadline);
        return {};
    }
    bool lineFailed = false;
    while (static_cast<std::size_t>(serial_.bytesAvailable()) < atLeast) {
        const auto remaining = deadline - Steady::now();
        if (remaining <= Steady::duration::zero()) break;
        if (!serial_.waitForReadyRead(waitMillis(remaining)) && isFailure(serial_.error())) {
            lineFailed = lineGone();
            serial_.clearError();
            // A line that fails at once would otherwise turn the caller's wait into a spin.
            if (!lineFailed) sleepUntil(deadline);
            break;
        }
    }
    const QByteArray data = serial_.readAll();
    if (lineFailed) close();
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
    closeIfLineFailed();
}

void QtPort::setDtr(bool on) {
    dtr_ = on;
    if (!serial_.isOpen() || !modemLines_) return;
    serial_.setDataTerminalReady(on);
    closeIfLineFailed();
}

QSerialPort::PinoutSignals QtPort::pinoutSignals() {
    const auto signalsNow = serial_.pinoutSignals();
    closeIfLineFailed();
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
