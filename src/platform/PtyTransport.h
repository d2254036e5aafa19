#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace rq {

// A device that lives in this process, reached through a pseudo-terminal pair: programs open path()
// as their serial port, and a thread of its own moves the bytes both ways. A pseudo-terminal has no
// line, so no speed or framing applies and there are no modem lines.
class PtyTransport {
  public:
    using ToDevice = std::function<void(std::span<const std::uint8_t> bytes)>;
    using FromDevice = std::function<std::vector<std::uint8_t>()>;  // what the device has sent by now

    // Whether this system has pseudo-terminals at all (Windows has none).
    static bool supported();

    PtyTransport();  // opens the pair
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    bool ok() const { return controller_ >= 0; }
    const std::string& path() const { return path_; }  // the computer's end

    // Moves the bytes until stop(); what the device sends while nobody reads the computer's end is lost.
    void start(ToDevice toDevice, FromDevice fromDevice);
    void stop();

  private:
    void pump(const ToDevice& toDevice, const FromDevice& fromDevice);
    void sendToComputer(const std::vector<std::uint8_t>& bytes);

    int controller_ = -1;
    int terminal_ = -1;  // kept open, so the pair lives while the computer's port closes and reopens
    std::string path_;
    std::atomic<bool> running_ = false;
    std::thread thread_;
};

}  // namespace rq
