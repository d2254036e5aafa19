#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <mutex>

#include "platform/PtyTransport.h"

namespace rq {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The computer's end, opened by its path as a serial port would be.
class ComputerEnd {
  public:
    explicit ComputerEnd(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~ComputerEnd() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void send(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    Bytes receive(std::size_t count) {
        Bytes bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd fd{fd_, POLLIN, 0};
            if (::poll(&fd, 1, 100) <= 0) continue;
            std::uint8_t chunk[256];
            const auto got = ::read(fd_, chunk, sizeof chunk);
            if (got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
        }
        return bytes;
    }

  private:
    int fd_;
};

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
        ComputerEnd computer(transport.path());
        ASSERT_TRUE(computer.ok());
        for (const Bytes& bytes : cases) {
            computer.send(bytes);
            Bytes expected;
            for (const std::uint8_t byte : bytes) expected.push_back(static_cast<std::uint8_t>(byte + 1));
            EXPECT_EQ(computer.receive(expected.size()), expected) << bytes.size();
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
