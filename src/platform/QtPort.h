#pragma once

#include <QSerialPort>

#include "core/io/LineSettings.h"
#include "core/io/Port.h"
#include "platform/PortNames.h"

namespace rq {

// A real serial line on QSerialPort. It blocks in its own waits and needs no event loop, but it must
// be made and used on one thread, a QThread or the application's main thread.
class QtPort final : public Port {
  public:
    explicit QtPort(PortTable table = PortTable::fromSystem());

    PortTable& portTable() { return table_; }

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
    QSerialPort::PinoutSignals pinoutSignals();

    PortTable table_;
    QSerialPort serial_;
    int number_ = 1;
    std::string settingsText_ = "9600,N,8,1";
    LineSettings settings_;
    FlowControl flow_ = FlowControl::None;
    bool rts_ = false;
    bool dtr_ = false;
    bool modemLines_ = false;  // learnt at open: a pseudo-terminal has none
};

}  // namespace rq
