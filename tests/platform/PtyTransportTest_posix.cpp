#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "platform/PseudoTerminal.h"
#include "platform/PtyTransport.h"

namespace rq {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A device that answers every byte with the next one up.
class CountingDevice {
  public:
    void take(std::span<const std::uint8_t> bytes) {
        std::lock_guard lock(mutex_);
        for (const std::uint8_t byte : bytes) pending_.push_back(static_cast<std::uint8_t>(byte + 1));
    }
    Bytes give() {
        std::lock_guard lock(mutex_);
        return std::exchange(pending_, {});
    }

  private:
    std::mutex mutex_;
    Bytes pending_;
};

TEST(PtyTransportTest, BytesPassBothWaysUnchangedAndUnechoed) {
    PtyTransport transport;
    ASSERT_TRUE(transport.ok());
    EXPECT_EQ(transport.path().rfind("/dev/pts/", 0), 0u) << transport.path();
    CountingDevice device;
    transport.start([&](std::span<const std::uint8_t> bytes) { device.take(bytes); },
                    [&] { return device.give(); });
    const Bytes cases[] = {
        {0x00},
        {0x0D, 0x0A, 0x03, 0x04, 0x11, 0x13, 0x7F},  // CR, LF, ^C, ^D, XON, XOFF, DEL: none is special
        Bytes(3000, 0xFE),
    };
    for (int opening = 0; opening < 2; ++opening) {  // the port may close and open again
        test::LineEnd computer(transport.path());
        ASSERT_TRUE(computer.ok());
        for (const Bytes& bytes : cases) {
            computer.send(bytes);
            Bytes expected;
            for (const std::uint8_t byte : bytes) expected.push_back(static_cast<std::uint8_t>(byte + 1));
            EXPECT_EQ(computer.receive(expected.size(), 5000), expected) << bytes.size();
        }
    }
    transport.stop();
}

TEST(PtyTransportTest, ADeviceThatTalksWhileNobodyListensHoldsNothingUp) {
    PtyTransport transport;
    ASSERT_TRUE(transport.ok());
    std::atomic<int> calls = 0;
    transport.start([](std::span<const std::uint8_t>) {},
                    [&] {
                        ++calls;
                        return Bytes(4096, 0x55);
                    });
    // 800 KiB, far more than the terminal holds: a transport that waited for a reader would stop here.
    while (calls < 200) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    transport.stop();
}

}  // namespace
}  // namespace rq
