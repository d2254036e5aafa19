#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/LiveProgress.h"
#include "core/io/LastShown.h"
#include "core/io/SilentView.h"

namespace rq::cli {

// What the window would show, as text for a person: screens, progress lines, status words, message
// boxes and trace lines. On a terminal a run of progress lines can be one live line instead.
class TranscriptView final : public SilentView {
  public:
    TranscriptView(std::ostream& out, std::optional<LiveProgress> live);

    // A line of the runner's own.
    void note(const std::string& what);

    void setText(Control control, const std::string& text) override;
    void setProgress(const Progress& progress) override;
    void setStatus(int panel, const std::string& text) override;
    void traceLine(const std::string& line) override;
    void showMessage(const std::string& title, const std::string& text, const std::string& hint) override;

  private:
    // Output of its own: the live line, if any, stays above it.
    std::ostream& print();
    void printBlock(const std::string& heading, const std::string& text);

    std::ostream& out_;
    std::optional<LiveProgress> live_;
    LastShown<Control, std::string> texts_;
    LastShown<int, std::string> status_;
};

}  // namespace rq::cli
