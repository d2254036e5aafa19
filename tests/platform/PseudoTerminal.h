#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rq::test {

// The test's end of a terminal line: the controller of a pseudo-terminal, or a terminal opened by its
// path as a serial port would be.
class LineEnd {
  public:
    explicit LineEnd(const std::string& path);
    ~LineEnd() { hangUp(); }
    LineEnd(const LineEnd&) = delete;
    LineEnd& operator=(const LineEnd&) = delete;

    bool ok() const { return fd_ >= 0; }
    void send(const std::vector<std::uint8_t>& bytes);
    // Everything the other end has written, waiting up to `millis` for at least `atLeast` bytes.
    std::vector<std::uint8_t> receive(std::size_t atLeast, int millis);
    // Closes this end, as if the cable were pulled.
    void hangUp();

  protected:
    LineEnd() = default;
    int fd_ = -1;
};

// A pseudo-terminal pair: the port under test opens the terminal end by its path, the test talks
// through the other end.
class PseudoTerminal : public LineEnd {
  public:
    PseudoTerminal();
    ~PseudoTerminal();

    const std::string& path() const { return path_; }

  private:
    int terminal_ = -1;  // kept open so the pair lives while the port under test closes and reopens
    std::string path_;
};

// The terminal's line settings as the driver holds them. A pseudo-terminal always holds 8 data bits
// and no parity, so only the speed, the stop bits and the flow control tell what the port set.
struct TerminalSettings {
    unsigned speed = 0;
    int stopBits = 0;
    bool rtsCts = false;
    bool xonXoff = false;  // both directions

    friend bool operator==(const TerminalSettings&, const TerminalSettings&) = default;
};
TerminalSettings terminalSettings(const std::string& path);

}  // namespace rq::test
