#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/Subcommand.h"
#include "cli/UpdateCommand.h"

namespace rq::cli {

// How the lines of several devices reach the person or the script.
enum class SharedOutput : std::uint8_t {
    Live,   // a terminal: the devices' lines above, one live line per device below them, redrawn in place
    Plain,  // a pipe, a file or --plain: every line marked "[COM3] "
    Json,   // every JSON line carries "port"; standard error is marked as in Plain
};

// Standard output and standard error of the devices' walks, which write to them at once: whole lines,
// each marked with its device's port.
class SharedScreen {
  public:
    using Columns = std::function<std::size_t()>;

    SharedScreen(const Io& io, SharedOutput mode, std::vector<std::string> ports, Columns columns);

    // The columns the mark before each line takes.
    std::size_t markColumns() const;
    // A whole line of device `device`, for standard output or standard error.
    void line(std::size_t device, bool error, const std::string& text);
    // What the device's live line shows now; empty when it shows no progress.
    void live(std::size_t device, const std::string& text);
    // Output of the runner's own, as it comes; the live lines are drawn again below it at the next change.
    void print(bool error, const std::string& text);

  private:
    void eraseLive();
    void drawLive();

    const Io& io_;
    const SharedOutput mode_;
    const std::vector<std::string> ports_;
    Columns columns_;
    std::mutex mutex_;
    std::vector<std::string> live_;      // per device: its progress line, or empty
    std::vector<std::string> lastLine_;  // per device: the last line it printed, shown without progress
    std::size_t drawn_ = 0;              // live lines on the screen below the cursor's line
};

// The stream buffer of one device's standard output or error: it hands whole lines to the screen, and
// on a terminal the line rewritten in place ("\r…\x1b[K") as the device's live line.
class DeviceLines final : public std::streambuf {
  public:
    DeviceLines(SharedScreen& screen, std::size_t device, bool error)
        : screen_(screen), device_(device), error_(error) {}

  protected:
    int overflow(int c) override;
    int sync() override;

  private:
    SharedScreen& screen_;
    const std::size_t device_;
    const bool error_;
    std::string pending_;  // written since the last line break
};

// One Enter for every device at an instruction step: each device's walk waits at the gate, and once
// every device still at work waits there, the runner asks once.
class EnterGate {
  public:
    // The ports waiting and the button; true to let them on, false to cancel them.
    using Ask = std::function<bool(const std::vector<std::size_t>& waiting, const std::string& button)>;

    explicit EnterGate(std::size_t devices) : atWork_(devices) {}

    // On a device's thread: false when the devices are cancelled.
    bool wait(std::size_t device, const std::string& button);
    // On a device's thread, once its walk has ended.
    void leave();
    // On the runner's thread, until every device has left.
    void serve(const Ask& ask);

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t atWork_;
    std::vector<std::size_t> waiting_;
    std::string button_;
    unsigned round_ = 0;
    bool goOn_ = true;
};

// rqfwup-cli update with several ports: one walk per device, each on its own thread, at once.
int updateMany(const UpdateOptions& options, const Io& io);

}  // namespace rq::cli
