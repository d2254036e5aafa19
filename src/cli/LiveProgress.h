#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "core/io/Clock.h"
#include "core/io/WizardView.h"

namespace rq::cli {

// What the live line shows besides its text.
struct ProgressFigures {
    Progress bar;
    Micros elapsed{0};
    std::optional<Micros> remaining;
};

// How much of the bar is filled, 0 to 1.
double barFraction(const Progress& bar);

// "  text [#####.....]  50%  0:12 (0:12 left)": the elapsed and the remaining time. Fitted into `columns`
// display columns: the times go first when there is no room, then the text is cut. Without figures, the text
// alone.
std::string progressLine(const std::string& text, const std::optional<ProgressFigures>& figures,
                         std::size_t columns);

// A run of progress texts that replace each other, shown on a terminal as one line rewritten in place,
// at most ten times a second. The last text of a run stays, printed as a line of its own once the run
// has ended: when a text below it starts, or when other output comes.
class LiveProgress {
  public:
    using Columns = std::function<std::size_t()>;

    LiveProgress(std::ostream& out, const Clock& clock, Columns columns);

    // The progress box shows this text now (lines joined by CR LF).
    void showText(const std::string& text);
    void showProgress(const Progress& progress);
    // Before other output: the line shown stays, printed for good.
    void settle();
    // Around output that comes between the updates of a run, such as trace lines.
    void hide();
    void redraw();

  private:
    void startRun(std::string prefix, std::string line);
    void printForGood(const std::string& line);
    void draw(bool now);
    std::optional<ProgressFigures> figures() const;

    std::ostream& out_;
    const Clock& clock_;
    Columns columns_;
    std::string prefix_;                  // the lines above the current one
    std::optional<std::string> current_;  // the line being rewritten
    std::string printed_;                 // the last line printed for good
    bool drawn_ = false;
    Micros lastDraw_{0};
    Micros runStart_{0};
    Progress progress_;
    std::optional<std::pair<Micros, Progress>> barStart_;  // when the bar first moved in this run
};

}  // namespace rq::cli
