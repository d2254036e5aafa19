#pragma once

#include <mutex>

#include "core/io/Port.h"
#include "sim/SimDevice.h"

namespace rq::sim {

// The computer's serial port with the simulated RQ system on the other end of the cable, at one
// port number. Like a common USB adapter it refuses 4 data bits and 1.5 stop bits, and it goes away
// when its cable is pulled. The cable may be pulled and plugged from another thread.
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
    bool isOpen() const override;

    PortError write(std::span<const std::uint8_t> bytes) override;
    // Whatever is read while the port is closed, or while it closes, is nothing, at the deadline.
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override;
    void discardInput() override;
    void discardOutput() override;

    void setRts(bool on) override;
    void setDtr(bool on) override;
    bool cts() override;
    bool dsr() override;

    // A pulled cable closes the port and keeps it from opening until the cable is plugged back.
    void unplug();
    void plug();
    bool plugged() const;

    bool rts() const { return rts_; }
    bool dtr() const { return dtr_; }
    // Every line settings text the port was given while open, for tests of the speed switch.
    const std::vector<std::string>& appliedSettings() const { return applied_; }

  private:
    void closeLocked();
    void driveLinesLocked();

    SimDevice& device_;
    int devicePortNumber_;
    int number_ = 1;
    std::string settingsText_ = "9600,N,8,1";
    LineSettings settings_;
    FlowControl flow_ = FlowControl::None;
    bool rts_ = false;
    bool dtr_ = false;
    std::vector<std::string> applied_;
    mutable std::mutex cableMutex_;  // guards what the cable changes
    bool open_ = false;
    bool plugged_ = true;
};

}  // namespace rq::sim
