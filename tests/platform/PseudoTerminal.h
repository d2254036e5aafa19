#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rq::test {

// A pseudo-terminal pair: the port under test opens the terminal end by its path, the test talks
// through the other end.
class PseudoTerminal {
  public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return controller_ >= 0; }
    const std::string& path() const { return path_; }

    void send(const std::vector<std::uint8_t>& bytes);
    // Closes the test's end, as if the cable were pulled.
    void hangUp();
    // Everything the port has written, waiting up to `millis` for at least `atLeast` bytes.
    std::vector<std::uint8_t> receive(std::size_t atLeast, int millis);

  private:
    int controller_ = -1;
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
};
TerminalSettings terminalSettings(const std::string& path);

}  // namespace rq::test
