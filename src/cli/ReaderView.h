#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/LiveProgress.h"
#include "core/io/SilentView.h"

namespace rq::cli {

// Progress for a pipe or a file: of each run of progress texts that replace each other, its last text,
// and the text then shown at every tenth of the bar.
class TenthsProgress {
  public:
    explicit TenthsProgress(std::ostream& out) : out_(out) {}

    void showText(const std::string& text);
    void showProgress(const Progress& progress);
    // Before other output: the line shown is printed, and its run has ended.
    void settle();

  private:
    void print(const std::string& line);

    std::ostream& out_;
    std::string prefix_;                  // the lines above the current one
    std::optional<std::string> current_;  // the line of the run
    bool replaced_ = false;               // a run of more than one text: one that counts
    int tenths_ = 0;                      // of the bar, printed in this run
    std::string printed_;                 // the last line printed
};

// What a person reads of a walk of the wizard: each step's title, its progress lines, message boxes,
// trace lines and the runner's own lines, and at the end the summary. Progress is a live line on a
// terminal, or its last text and every tenth of the bar elsewhere.
class ReaderView final : public SilentView {
  public:
    ReaderView(std::ostream& out, std::optional<LiveProgress> live);

    // A line of the runner's own.
    void note(const std::string& what);
    // The instructions of the screen shown, for a person about to act on them.
    void showInstructions();
    void summary(const std::string& line);

    void setText(Control control, const std::string& text) override;
    void setProgress(const Progress& progress) override;
    void stepIndexChanged(int stepIndex) override { stepIndex_ = stepIndex; }
    void traceLine(const std::string& line) override;
    void showMessage(const std::string& title, const std::string& text, const std::string& hint) override;

  private:
    // Output of its own: the progress shown so far stays above it.
    std::ostream& print();
    void showProcessText(const std::string& text);

    std::ostream& out_;
    std::optional<LiveProgress> live_;
    TenthsProgress tenths_;
    int stepIndex_ = 0;
    std::string title_;          // of the screen shown
    std::string instructions_;   // its text below the title
    std::string deviceVersion_;  // as lblFWOld shows it
    std::string fileVersion_;    // as lblFWNew shows it
};

}  // namespace rq::cli
