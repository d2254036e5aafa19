#include "sim/SimDevice.h"

#include <algorithm>

namespace rq::sim {
namespace {

constexpr Micros kLedBlinkPeriod{500'000};
// What a USB adapter's buffer holds before it passes the bytes on without waiting for its timer.
constexpr std::size_t kAdapterChunk = 62;

// What a receiver at the wrong speed or framing makes of a byte: something else, every time.
std::uint8_t garbled(std::uint8_t byte) {
    return static_cast<std::uint8_t>(byte ^ 0x5A);
}

}  // namespace

// The DeviceLine a firmware is handed while it handles one byte.
class SimDevice::Line final : public DeviceLine {
  public:
    Line(SimDevice& device, Micros at) : device_(device), at_(at) {}
    Micros now() const override { return at_; }
    void send(std::span<const std::uint8_t> bytes, Micros notBefore) override {
        if (!device_.powered_) return;
        const Micros start = std::max({notBefore, at_, device_.deviceTxFree_});
        device_.deviceTxFree_ = device_.queueLocked(device_.toHost_, bytes, start, device_.deviceSettings_);
    }
    void setLineSettings(const LineSettings& settings) override { device_.deviceSettings_ = settings; }
    DeviceMemory& memory() override { return device_.memory_; }
    void powerOff() override { device_.powerOffLocked(); }

  private:
    SimDevice& device_;
    Micros at_;
};

SimDevice::SimDevice(Clock& clock, std::unique_ptr<Firmware> normal, std::unique_ptr<Firmware> boot)
    : clock_(clock), normal_(std::move(normal)), boot_(std::move(boot)) {}

void SimDevice::setPower(bool on) {
    std::lock_guard lock(mutex_);
    advanceLocked(clock_.now());
    if (on == powered_) return;
    if (on) {
        powerOnLocked();
    } else {
        powerOffLocked();
    }
}

void SimDevice::setFwSwitch(bool write) {
    std::lock_guard lock(mutex_);
    fwSwitch_ = write;
}

bool SimDevice::powered() const {
    std::lock_guard lock(mutex_);
    return powered_;
}

bool SimDevice::fwSwitch() const {
    std::lock_guard lock(mutex_);
    return fwSwitch_;
}

bool SimDevice::programmingMode() const {
    std::lock_guard lock(mutex_);
    return powered_ && programming_;
}

Led SimDevice::led() const {
    std::lock_guard lock(mutex_);
    if (!powered_) return Led::Off;
    if (!programming_) return Led::Green;
    const auto phase = ((clock_.now() - poweredAt_) / kLedBlinkPeriod) % 2;
    return phase == 0 ? Led::Green : Led::Red;
}

void SimDevice::setInstantLine(bool instant) {
    std::lock_guard lock(mutex_);
    instantLine_ = instant;
}

void SimDevice::setAdapterLatency(Micros latency) {
    std::lock_guard lock(mutex_);
    adapterLatency_ = latency;
}

DeviceMemory SimDevice::memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void SimDevice::setMemory(const DeviceMemory& memory) {
    std::lock_guard lock(mutex_);
    memory_ = memory;
}

void SimDevice::setLineNoise(const LineNoise& noise) {
    std::lock_guard lock(mutex_);
    noise_ = noise;
    hostNoise_ = NoiseSource(noise.seed);
    deviceNoise_ = NoiseSource(~noise.seed);
}

LineSettings SimDevice::deviceLineSettings() const {
    std::lock_guard lock(mutex_);
    return deviceSettings_;
}

Micros SimDevice::lineTime(std::size_t bytes, const LineSettings& settings) const {
    if (instantLine_) return Micros(0);
    const auto bits = static_cast<long long>(bytes) * bitsPerCharacter(settings);
    return Micros((bits * 1'000'000 + settings.baud - 1) / settings.baud);
}

void SimDevice::powerOnLocked() {
    powered_ = true;
    poweredAt_ = clock_.now();
    programming_ = fwSwitch_;
    toDevice_.clear();
    toHost_.clear();
    deviceTxFree_ = poweredAt_;
    deviceSettings_ = runningLocked()->powerOn(memory_);
}

void SimDevice::powerOffLocked() {
    powered_ = false;
    toHost_.clear();
}

Firmware* SimDevice::runningLocked() const {
    if (!powered_) return nullptr;
    return programming_ ? boot_.get() : normal_.get();
}

void SimDevice::advanceLocked(Micros until) {
    while (!toDevice_.empty() && toDevice_.front().arrival <= until) {
        const Transfer transfer = toDevice_.front();
        toDevice_.pop_front();
        Firmware* firmware = runningLocked();
        if (firmware == nullptr) continue;
        Line line(*this, transfer.arrival);
        firmware->receive(transfer.sentWith == deviceSettings_ ? transfer.byte : garbled(transfer.byte),
                          line);
    }
}

// The computer sees nothing of the device while it waits. So the device takes the bytes on their way
// to it and passes its own on, each at its own time, up to the moment the read has what it waits for or
// its deadline comes; the wait then wakes once instead of once a byte. Returns that moment.
Micros SimDevice::runAheadLocked(std::size_t atLeast, Micros deadline) {
    while (true) {
        const Micros passOn = nextPassOnLocked();
        const Micros arrival = toDevice_.empty() ? Micros::max() : toDevice_.front().arrival;
        if (std::min(passOn, arrival) > deadline) return deadline;
        if (arrival <= passOn) {
            advanceLocked(arrival);
            continue;
        }
        passOnLocked(passOn);
        if (hostInput_.size() >= atLeast) return passOn;
    }
}

// The adapter passes bytes on when its latency timer runs out, which happens one latency after it last
// passed anything on, even nothing, or at once when its buffer is full.
Micros SimDevice::nextPassOnLocked() const {
    if (toHost_.empty()) return Micros::max();
    const Micros first = toHost_.front().arrival;
    if (adapterLatency_ == Micros(0)) return first;
    const auto periods =
        std::max<Micros::rep>(1, (first - adapterPassedOn_ + adapterLatency_ - Micros(1)) / adapterLatency_);
    Micros at = adapterPassedOn_ + periods * adapterLatency_;
    if (toHost_.size() >= kAdapterChunk) {
        at = std::min(at, std::max(adapterPassedOn_, toHost_[kAdapterChunk - 1].arrival));
    }
    return at;
}

void SimDevice::passOnLocked(Micros now) {
    for (Micros at = nextPassOnLocked(); at <= now; at = nextPassOnLocked()) {
        for (std::size_t i = 0; i < kAdapterChunk && !toHost_.empty() && toHost_.front().arrival <= at; ++i) {
            hostInput_.push_back(toHost_.front());
            toHost_.pop_front();
        }
        adapterPassedOn_ = at;
    }
}

std::vector<std::uint8_t> SimDevice::takeInputLocked(const LineSettings& hostSettings) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hostInput_.size());
    for (const Transfer& transfer : hostInput_) {
        bytes.push_back(transfer.sentWith == hostSettings ? transfer.byte : garbled(transfer.byte));
    }
    hostInput_.clear();
    return bytes;
}

// Each byte's arrival counts from the start of the whole write, so that rounding to whole microseconds
// does not add up over a long frame. Noise changes what arrives, not when. Returns when the line is free
// again.
Micros SimDevice::queueLocked(std::deque<Transfer>& line, std::span<const std::uint8_t> bytes, Micros start,
                              const LineSettings& settings) {
    static const LineNoise kClean;
    NoiseSource& source = &line == &toHost_ ? deviceNoise_ : hostNoise_;
    const bool noisy = powered_ && (programming_ ? noise_.programmingMode : noise_.normalMode);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const Micros arrival = start + lineTime(i + 1, settings);
        const Arrival arrived = source.pass(bytes[i], noisy ? noise_ : kClean);
        for (const std::uint8_t byte : arrived.received()) line.push_back({arrival, byte, settings});
    }
    return start + lineTime(bytes.size(), settings);
}

void SimDevice::hostWrite(std::span<const std::uint8_t> bytes, const LineSettings& hostSettings) {
    std::lock_guard lock(mutex_);
    const Micros now = clock_.now();
    advanceLocked(now);
    hostTxFree_ = queueLocked(toDevice_, bytes, std::max(now, hostTxFree_), hostSettings);
    advanceLocked(now);
}

std::vector<std::uint8_t> SimDevice::hostRead(std::size_t atLeast, Micros timeout,
                                              const LineSettings& hostSettings) {
    std::unique_lock lock(mutex_);
    const Micros deadline = clock_.now() + timeout;
    while (true) {
        const Micros now = clock_.now();
        advanceLocked(now);
        passOnLocked(now);
        if (hostInput_.size() >= atLeast || now >= deadline) return takeInputLocked(hostSettings);
        const Micros next = runAheadLocked(atLeast, deadline);
        lock.unlock();
        clock_.sleepUntil(next);
        lock.lock();
    }
}

void SimDevice::hostDiscardInput() {
    std::lock_guard lock(mutex_);
    const Micros now = clock_.now();
    advanceLocked(now);
    passOnLocked(now);
    hostInput_.clear();
}

void SimDevice::hostDiscardOutput() {
    std::lock_guard lock(mutex_);
    const Micros now = clock_.now();
    advanceLocked(now);
    toDevice_.clear();
    hostTxFree_ = now;
}

void SimDevice::hostSetLines(bool rts, bool dtr) {
    std::lock_guard lock(mutex_);
    const Micros now = clock_.now();
    advanceLocked(now);
    if (Firmware* firmware = runningLocked()) firmware->hostLines(rts, dtr, now);
}

bool SimDevice::hostCts(bool rts) {
    std::lock_guard lock(mutex_);
    advanceLocked(clock_.now());
    const Firmware* firmware = runningLocked();
    return firmware != nullptr && firmware->cts(rts);
}

bool SimDevice::hostDsr(bool dtr) {
    std::lock_guard lock(mutex_);
    advanceLocked(clock_.now());
    const Firmware* firmware = runningLocked();
    return firmware != nullptr && firmware->dsr(dtr);
}

}  // namespace rq::sim
