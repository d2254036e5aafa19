#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/io/Port.h"

namespace rq::test {

// A port layer whose ports open or not as a test says; it records what it was asked to do.
class FakePort final : public Port {
  public:
    std::set<int> openable;
    std::map<int, std::string> refusals;  // ports that exist but do not open, and why
    std::vector<std::string> log;

    void setPortNumber(int number) override { number_ = number; }
    int portNumber() const override { return number_; }
    std::string deviceName(int number) const override { return "/dev/ttyFAKE" + std::to_string(number); }
    PortError setSettings(const std::string& text) override {
        log.push_back("settings " + text);
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
        log.push_back("open " + std::to_string(number_));
        open_ = openable.count(number_) != 0;
        const auto refusal = refusals.find(number_);
        whyNotOpened_ = open_ || refusal == refusals.end() ? "" : refusal->second;
        return open_ ? PortError::None : PortError::InvalidPort;
    }
    std::string whyNotOpened() const override { return whyNotOpened_; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    PortError write(std::span<const std::uint8_t>) override { return PortError::None; }
    std::vector<std::uint8_t> read(std::size_t, Micros) override { return {}; }
    void discardInput() override {}
    void discardOutput() override {}
    void setRts(bool) override {}
    void setDtr(bool) override {}
    bool cts() override { return true; }
    bool dsr() override { return false; }

  private:
    int number_ = 1;
    std::string settings_ = "9600,N,8,1";
    FlowControl flow_ = FlowControl::None;
    bool open_ = false;
    std::string whyNotOpened_;
};

}  // namespace rq::test
