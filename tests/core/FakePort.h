#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/PortStub.h"

namespace rq::test {

// A port layer whose ports open or not as a test says; it records what it was asked to do.
class FakePort final : public PortStub {
  public:
    std::set<int> openable;
    std::map<int, std::string> refusals;  // ports that exist but do not open, and why
    std::vector<std::string> log;

    std::string deviceName(int number) const override { return "/dev/ttyFAKE" + std::to_string(number); }
    PortError setSettings(const std::string& text) override {
        log.push_back("settings " + text);
        return PortStub::setSettings(text);
    }
    PortError open() override {
        log.push_back("open " + std::to_string(portNumber()));
        open_ = openable.count(portNumber()) != 0;
        const auto refusal = refusals.find(portNumber());
        whyNotOpened_ = open_ || refusal == refusals.end() ? "" : refusal->second;
        return open_ ? PortError::None : PortError::InvalidPort;
    }
    std::string whyNotOpened() const override { return whyNotOpened_; }

  private:
    std::string whyNotOpened_;
};

}  // namespace rq::test
