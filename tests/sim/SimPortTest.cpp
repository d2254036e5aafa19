#include <gtest/gtest.h>

#include <functional>

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
        ++sleeps;
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

    int sleeps = 0;

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
    const Micros pulled = clock.now();
    EXPECT_EQ(port.read(1, 1s), Bytes{});
    EXPECT_EQ(clock.now() - pulled, 1s);

    port.plug();
    EXPECT_NE(port.deviceName(1), "");
    EXPECT_FALSE(port.isOpen());  // until someone opens it again
    ASSERT_EQ(port.open(), PortError::None);
    EXPECT_EQ(port.open(), PortError::None);  // already open: nothing changes
    EXPECT_EQ(port.read(1, 100ms), Bytes{});  // what came while the cable was out is gone
    EXPECT_EQ(echo({6}), Bytes{6});
    EXPECT_TRUE(port.cts());
    EXPECT_EQ(linesSeen, (std::vector<std::string>{"RTS off, DTR off", "RTS off, DTR on", "RTS on, DTR on",
                                                   "RTS off, DTR off", "RTS on, DTR on"}));
}

TEST_F(SimPortTest, AReadEndsEmptyAtItsDeadlineWhenTheCableGoesWhileItWaits) {
    port.write(Bytes{7});  // its echo is back after 2084 µs
    clock.at(1ms, [this] { port.unplug(); });
    EXPECT_EQ(port.read(1, 1s), Bytes{});
    EXPECT_EQ(clock.now(), 1s);
}

// A wait for the echo of a frame wakes when the echo is whole, not for every byte on its way either way,
// and the echo comes when it would byte by byte: back to back, a byte time of 1042 µs each, behind the
// first byte's arrival.
TEST_F(SimPortTest, AWaitWakesOnceTheAnswerIsWholeNotForEachByte) {
    port.write(Bytes(100, 0x55));
    EXPECT_EQ(port.read(100, 1s), Bytes(100, 0x55));
    EXPECT_EQ(clock.now(), 101 * 1042us);
    EXPECT_EQ(clock.sleeps, 1);
}

// The echo of a reply written at `start`, as a USB adapter passes it on: its timer runs out every
// latency period after the last time it passed anything on (at 0 here), or at once when it holds 62.
struct LatencyCase {
    const char* name;
    Millis latency;
    bool instantLine;
    Micros start;
    std::size_t written;
    std::size_t atLeast;
    std::size_t received;
    Micros after;  // the read's return, from the write
};

class AdapterLatencyTest : public SimPortTest, public ::testing::WithParamInterface<LatencyCase> {};

TEST_P(AdapterLatencyTest, HoldsTheEchoUntilItsTimerRunsOut) {
    const LatencyCase& c = GetParam();
    SCOPED_TRACE(c.name);
    device.setInstantLine(c.instantLine);
    device.setAdapterLatency(c.latency);
    clock.sleep(c.start);
    port.write(Bytes(c.written, 0x55));
    EXPECT_EQ(port.read(c.atLeast, 1s), Bytes(c.received, 0x55));
    EXPECT_EQ(clock.now() - c.start, c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AdapterLatencyTest,
    ::testing::Values(LatencyCase{"several periods", 1ms, true, 5300us, 5, 5, 5, 700us},
                      LatencyCase{"a full buffer goes at once", 16ms, true, 5300us, 100, 1, 62, 0us},
                      LatencyCase{"the rest a period later", 16ms, true, 5300us, 100, 100, 100, 16ms},
                      // At 9600 bit/s the echoes come back at 12.08 to 16.25 ms: the timer splits them.
                      LatencyCase{"the timer cuts a reply", 16ms, false, 10ms, 5, 1, 4, 6ms}));

}  // namespace
}  // namespace rq::sim
