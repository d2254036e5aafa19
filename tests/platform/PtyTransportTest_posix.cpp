#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "platform/PseudoTerminal.h"
#include "platform/PtyTransport.h"

namespace rq {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(PtyTransportTest, BytesPassBothWaysUnchangedAndUnechoed) {
    PtyTransport transport;
    ASSERT_TRUE(transport.ok());
    EXPECT_EQ(transport.path().rfind("/dev/pts/", 0), 0u) << transport.path();
    // A device that answers every byte with the next one up.
    std::mutex mutex;
    Bytes answers;
    transport.start(
        [&](std::span<const std::uint8_t> bytes) {
            std::lock_guard lock(mutex);
            for (const std::uint8_t byte : bytes) answers.push_back(static_cast<std::uint8_t>(byte + 1));
        },
        [&] {
            std::lock_guard lock(mutex);
            return std::exchange(answers, {});
        });
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
