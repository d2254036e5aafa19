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

// The echo of a reply written at `start`, as a USB adapter passes it on: its timer runs out every
// latency period after the last time it passed anything on (at 0 here), or at once when it holds 62.
TEST_F(SimPortTest, AdapterLatency) {
    struct Case {
        const char* name;
        Millis latency;
        bool instantLine;
        Micros start;
        std::size_t written;
        std::size_t atLeast;
        std::size_t received;
        Micros after;  // the read's return, from the write
    };
    const Case cases[] = {
        {"plain port", 0ms, true, 5300us, 5, 5, 5, 0us},
        {"held to the timer", 16ms, true, 5300us, 5, 5, 5, 10700us},
        {"low latency", 1ms, true, 5300us, 5, 5, 5, 700us},
        {"a full buffer goes at once", 16ms, true, 5300us, 100, 1, 62, 0us},
        {"the rest a period later", 16ms, true, 5300us, 100, 100, 100, 16ms},
        // At 9600 bit/s the echoes come back at 12.08 to 16.25 ms: the timer splits them.
        {"the timer cuts a reply", 16ms, false, 10ms, 5, 1, 4, 6ms},
        {"its tail waits a period", 16ms, false, 10ms, 5, 5, 5, 22ms},
        {"plain port on the timed line", 0ms, false, 10ms, 5, 5, 5, 6252us},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScheduledClock clock;
        std::vector<std::string> lines;
        SimDevice device{clock, std::make_unique<Echo>(lines), std::make_unique<Echo>(lines)};
        device.setPower(true);
        device.setInstantLine(c.instantLine);
        device.setAdapterLatency(c.latency);
        SimPort port{device};
        ASSERT_EQ(port.open(), PortError::None);
        clock.sleep(c.start);
        port.write(Bytes(c.written, 0x55));
        EXPECT_EQ(port.read(c.atLeast, 1s), Bytes(c.received, 0x55));
        EXPECT_EQ(clock.now() - c.start, c.after);
    }
}

// A device that answers 06h 06h 06h to every frame of 100 bytes.
class FrameTaker final : public Firmware {
  public:
    LineSettings powerOn(DeviceMemory&) override { return kLine; }
    void receive(std::uint8_t, DeviceLine& line) override {
        if (++taken_ % 100 == 0) line.send(Bytes(3, 0x06));
    }
    bool cts(bool) const override { return true; }
    bool dsr(bool) const override { return false; }

  private:
    int taken_ = 0;
};

// A wait for the answer to a frame wakes when the answer is whole, not for every byte on its way either
// way, and the answer comes when it would byte by byte.
TEST(SimDeviceTest, AWaitWakesOnceTheAnswerIsWholeNotForEachByte) {
    ScheduledClock clock;
    SimDevice device{clock, std::make_unique<FrameTaker>(), std::make_unique<FrameTaker>()};
    device.setPower(true);
    SimPort port{device};
    ASSERT_EQ(port.open(), PortError::None);
    port.write(Bytes(100, 0x55));
    EXPECT_EQ(port.read(3, 1s), Bytes(3, 0x06));
    EXPECT_EQ(clock.now(), 104167us + 3125us);  // 100 bytes and 3 of 10 bits at 9600 bit/s
    EXPECT_EQ(clock.sleeps, 1);
}

}  // namespace
}  // namespace rq::sim
