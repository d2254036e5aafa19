#pragma once

#include "core/io/Port.h"
#include "sim/SimDevice.h"

namespace rq::sim {

// The computer's serial port with the simulated RQ system on the other end of the cable, at one
// port number. Like a common USB adapter it refuses 4 data bits and 1.5 stop bits.
class SimPort final : public Port {
  public:
    SimPort(SimDevice& device, int devicePortNumber = 1);

    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    std::string deviceName(int number) const override;

    PortError setSettings(const std::string& text) override;
    std::string settings() const override { return settingsText_; }
    PortError setFlowControl(FlowControl flow) override;
    FlowControl flowControl() const override { return flow_; }

    PortError open() override;
    void close() override;
    bool isOpen() const override { return open_; }

    PortError write(std::span<const std::uint8_t> bytes) override;
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override;
    void discardInput() override;
    void discardOutput() override;

    void setRts(bool on) override { rts_ = on; }
    void setDtr(bool on) override { dtr_ = on; }
    bool cts() override;
    bool dsr() override;

    bool rts() const { return rts_; }
    bool dtr() const { return dtr_; }
    // Every line settings text the port was given while open, for tests of the speed switch.
    const std::vector<std::string>& appliedSettings() const { return applied_; }

  private:
    SimDevice& device_;
    int devicePortNumber_;
    int number_ = 1;
    std::string settingsText_ = "9600,N,8,1";
    LineSettings settings_;
    FlowControl flow_ = FlowControl::None;
    bool open_ = false;
    bool rts_ = false;
    bool dtr_ = false;
    std::vector<std::string> applied_;
};

}  // namespace rq::sim
