#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "sim/SimPort.h"
#include "sim/VirtualClock.h"

namespace rq::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

constexpr LineSettings kLine{9600, Parity::None, 8, StopBits::One};

// A device that sends back every byte as it arrives, and keeps the lines it has seen the computer drive.
class Echo final : public Firmware {
  public:
    explicit Echo(std::vector<std::string>& lines) : lines_(lines) {}
    LineSettings powerOn(DeviceMemory&) override { return kLine; }
    void receive(std::uint8_t byte, DeviceLine& line) override { line.send(std::span(&byte, 1)); }
    void hostLines(bool rts, bool dtr, Micros) override {
        lines_.push_back(std::string(rts ? "RTS on" : "RTS off") + (dtr ? ", DTR on" : ", DTR off"));
    }
    bool cts(bool rts) const override { return rts; }
    bool dsr(bool dtr) const override { return dtr; }

  private:
    std::vector<std::string>& lines_;
};

// The virtual clock, with one thing done when time passes a given moment, as another thread would.
class ScheduledClock final : public Clock {
  public:
    Micros now() const override { return clock_.now(); }
    void sleepUntil(Micros when) override {
        if (action_ && at_ <= when) {
            clock_.sleepUntil(at_);
            std::exchange(action_, nullptr)();
        }
        clock_.sleepUntil(when);
    }
    void at(Micros when, std::function<void()> action) {
        at_ = when;
        action_ = std::move(action);
    }

  private:
    VirtualClock clock_;
    Micros at_{0};
    std::function<void()> action_;
};

class SimPortTest : public ::testing::Test {
  protected:
    ScheduledClock clock;
    std::vector<std::string> linesSeen;
    SimDevice device{clock, std::make_unique<Echo>(linesSeen), std::make_unique<Echo>(linesSeen)};
    SimPort port{device};

    void SetUp() override {
        device.setPower(true);
        ASSERT_EQ(port.open(), PortError::None);
    }
    Bytes echo(const Bytes& bytes) {
        port.write(bytes);
        return port.read(bytes.size(), 1s);
    }
};

TEST_F(SimPortTest, APulledCableClosesThePortUntilItIsPluggedBack) {
    port.setDtr(true);
    port.setRts(true);
    EXPECT_EQ(echo({1, 2, 3}), (Bytes{1, 2, 3}));
    port.write(Bytes{4});  // its echo is on its way when the cable goes

    port.unplug();
    EXPECT_FALSE(port.plugged());
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.deviceName(1), "");
    EXPECT_EQ(port.write(Bytes{5}), PortError::NotOpen);
    EXPECT_EQ(port.open(), PortError::InvalidPort);
    EXPECT_FALSE(port.cts());
    EXPECT_FALSE(port.dsr());

    clock.sleep(1s);
    port.plug();
    EXPECT_NE(port.deviceName(1), "");
    EXPECT_FALSE(port.isOpen());  // until someone opens it again
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_EQ(port.read(1, 100ms), Bytes{});  // what came while the cable was out is gone
    EXPECT_EQ(echo({6}), Bytes{6});
    EXPECT_TRUE(port.cts());
    EXPECT_EQ(linesSeen, (std::vector<std::string>{"RTS off, DTR off", "RTS off, DTR on", "RTS on, DTR on",
                                                   "RTS off, DTR off", "RTS on, DTR on"}));
}

TEST_F(SimPortTest, AReadEndsEmptyAtItsDeadlineWhenTheCableGoes) {
    struct Case {
        const char* name;
        std::optional<Micros> pulledAfter;  // from the write; the echo is back after 2084 µs
    };
    const Case cases[] = {{"before the read", std::nullopt}, {"while the echo is on the line", 1ms}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.plug();
        ASSERT_EQ(port.open(), PortError::None);
        port.write(Bytes{7});
        const Micros start = clock.now();
        if (c.pulledAfter) {
            clock.at(start + *c.pulledAfter, [this] { port.unplug(); });
        } else {
            port.unplug();
        }
        EXPECT_EQ(port.read(1, 1s), Bytes{});
        EXPECT_EQ(clock.now() - start, 1s);
    }
}

}  // namespace
}  // namespace rq::sim
