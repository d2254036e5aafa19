#pragma once

#include "core/io/Port.h"

namespace rq {

// A Port that hands every call to another one; wrappers override what they watch.
class ForwardingPort : public Port {
  public:
    explicit ForwardingPort(Port& inner) : inner_(inner) {}

    void setPortNumber(int number) override { inner_.setPortNumber(number); }
    int portNumber() const override { return inner_.portNumber(); }
    std::string deviceName(int number) const override { return inner_.deviceName(number); }
    PortError setSettings(const std::string& text) override { return inner_.setSettings(text); }
    std::string settings() const override { return inner_.settings(); }
    PortError setFlowControl(FlowControl flow) override { return inner_.setFlowControl(flow); }
    FlowControl flowControl() const override { return inner_.flowControl(); }
    PortError open() override { return inner_.open(); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    std::string whyNotOpened() const override { return inner_.whyNotOpened(); }
    PortError write(std::span<const std::uint8_t> bytes) override { return inner_.write(bytes); }
    std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) override {
        return inner_.read(atLeast, timeout);
    }
    void discardInput() override { inner_.discardInput(); }
    void discardOutput() override { inner_.discardOutput(); }
    void setRts(bool on) override { inner_.setRts(on); }
    void setDtr(bool on) override { inner_.setDtr(on); }
    bool cts() override { return inner_.cts(); }
    bool dsr() override { return inner_.dsr(); }

  private:
    Port& inner_;
};

}  // namespace rq
