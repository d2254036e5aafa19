#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/io/Clock.h"

namespace rq {

enum class PortError : std::uint8_t {
    None,
    InvalidPort,  // no such port, or it cannot be opened
    BadSettings,  // the line settings text is malformed or the port refuses it
    NotOpen,
    Io,  // anything else the line reports
};

enum class FlowControl : std::uint8_t { None = 0, XonXoff = 1, RtsCts = 2, Both = 3 };

// One serial line. Settings given while the port is closed take effect when it opens; while it is
// open they take effect at once. A port without modem-control lines ignores RTS and DTR, reads CTS
// as on and DSR as off. A port whose line fails (a cable pulled, an adapter removed) closes itself:
// isOpen() turns false, writes fail and reads wait out their time-out, so a caller's wait ends without
// spinning and it can open the port again once the line is back.
class Port {
  public:
    virtual ~Port() = default;

    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    // The system's name of port COMn (a device path on Linux); empty when there is no such port.
    virtual std::string deviceName(int number) const = 0;

    virtual PortError setSettings(const std::string& text) = 0;
    virtual std::string settings() const = 0;
    virtual PortError setFlowControl(FlowControl flow) = 0;
    virtual FlowControl flowControl() const = 0;

    virtual PortError open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // After a failed open of a device that exists: one line with its name, the system's reason and a
    // remedy where one is known. Empty otherwise.
    virtual std::string whyNotOpened() const { return {}; }

    virtual PortError write(std::span<const std::uint8_t> bytes) = 0;
    // Waits until at least `atLeast` bytes have arrived or `timeout` has passed, then returns all that
    // has arrived (possibly fewer than asked for, possibly more).
    virtual std::vector<std::uint8_t> read(std::size_t atLeast, Micros timeout) = 0;
    virtual void discardInput() = 0;
    virtual void discardOutput() = 0;

    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
    virtual bool cts() = 0;
    virtual bool dsr() = 0;
};

}  // namespace rq
