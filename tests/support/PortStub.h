#pragma once

#include <string>

#include "core/io/Port.h"

namespace rq::test {

// What every test's port keeps alike: its number, settings and handshaking as given, and whether it
// is open. Until a test says otherwise, nothing comes back, whatever is written, and CTS is on.
class PortStub : public Port {
  public:
    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    PortError setSettings(const std::string& text) override {
        settings_ = text;
        return PortError::None;
    }
    std::string settings() const override { return settings_; }
    PortError setFlowControl(FlowControl flow) override {
        flow_ = flow;
        return PortError::None;
    }
    FlowControl flowControl() const override { return flow_; }
    PortError open() override {
        open_ = true;
        return PortError::None;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    std::string deviceName(int) const override { return "stub"; }
    PortError write(std::span<const std::uint8_t>) override { return PortError::None; }
    std::vector<std::uint8_t> read(std::size_t, Micros) override { return {}; }
    void discardInput() override {}
    void discardOutput() override {}
    void setRts(bool) override {}
    void setDtr(bool) override {}
    bool cts() override { return true; }
    bool dsr() override { return false; }

  protected:
    bool open_ = false;

  private:
    int number_ = 1;
    std::string settings_ = "9600,N,8,1";
    FlowControl flow_ = FlowControl::None;
};

}  // namespace rq::test
