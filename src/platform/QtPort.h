#pragma once

#include <QSerialPort>
#include <functional>
#include <optional>

#include "core/io/LineSettings.h"
#include "core/io/Port.h"
#include "platform/NativeLine.h"
#include "platform/OpenFailure.h"
#include "platform/PortNames.h"

namespace rq {

// A real serial line on QSerialPort. It blocks in its own waits and needs no event loop, but it must
// be made and used on one thread, a QThread or the application's main thread. Every open looks COMn up
// in the table's current listing of the system's serial devices, so a device plugged in after start is
// found.
class QtPort final : public Port {
  public:
    // What the port asks of the driver for short replies when it opens; a test may watch it.
    using LowLatencyRequest = std::function<bool(NativeHandle handle)>;

    explicit QtPort(PortTable table = PortTable::system());

    PortTable& portTable() { return table_; }
    void setLowLatencyRequest(LowLatencyRequest request) { lowLatency_ = std::move(request); }
    // Why the last open failed on a device path; unset after a successful open.
    const std::optional<OpenFailure>& lastOpenFailure() const { return lastOpenFailure_; }
    std::string whyNotOpened() const override;

    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    std::string deviceName(int number) const override { return table_.deviceName(number); }

    PortError setSettings(const std::string& text) override;
    std::string settings() const override { return settingsText_; }
    PortError setFlowControl(FlowControl flow) override;
    FlowControl flowControl() const override { return flow_; }

    PortError open() override;
    void close() override;
    bool isOpen() const override { return serial_.isOpen(); }

    PortError write(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override;
    void discardInput() override;
    void discardOutput() override;

    void setRts(bool on) override;
    void setDtr(bool on) override;
    bool cts() override;
    bool dsr() override;

  private:
    bool applyLineSettings(const LineSettings& settings);
    bool applyFlowControl(FlowControl flow);
    QSerialPort::PinoutSignals pinoutSignals();
    bool lineGone();
    void closeIfLineFailed();

    PortTable table_;
    QSerialPort serial_;
    int number_ = 1;
    std::string settingsText_ = "9600,N,8,1";
    LineSettings settings_;
    FlowControl flow_ = FlowControl::None;
    bool rts_ = false;
    bool dtr_ = false;
    bool modemLines_ = false;  // learnt at open: a pseudo-terminal has none
    LowLatencyRequest lowLatency_ = requestLowLatency;
    std::optional<OpenFailure> lastOpenFailure_;
};

}  // namespace rq
