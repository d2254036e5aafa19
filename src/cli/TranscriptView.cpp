#include "cli/TranscriptView.h"

#include <ostream>

#include "cli/TextLines.h"

namespace rq::cli {

TranscriptView::TranscriptView(std::ostream& out, std::optional<LiveProgress> live)
    : out_(out), live_(std::move(live)) {}

std::ostream& TranscriptView::print() {
    if (live_) live_->settle();
    return out_;
}

void TranscriptView::printBlock(const std::string& heading, const std::string& text) {
    print() << "--- " << heading << " ---\n" << withoutCarriageReturns(text) << "\n" << std::flush;
}

void TranscriptView::note(const std::string& what) {
    print() << "* " << what << "\n" << std::flush;
}

void TranscriptView::setText(Control control, const std::string& text) {
    if (!texts_.changes(control, text)) return;
    if (control == Control::txtInfo) {
        printBlock("txtInfo", text);
    } else if (control == Control::txtProcess) {
        if (live_) {
            live_->showText(text);
        } else if (!text.empty()) {
            out_ << "  " << lastLine(text) << "\n" << std::flush;
        }
    } else {
        print() << controlName(control) << ": " << text << "\n" << std::flush;
    }
}

void TranscriptView::setProgress(const Progress& progress) {
    if (live_) live_->showProgress(progress);
}

void TranscriptView::setStatus(int panel, const std::string& text) {
    if (status_.changes(panel, text) && panel == 1 && !text.empty())
        print() << "[" << text << "]\n" << std::flush;
}

void TranscriptView::traceLine(const std::string& line) {
    if (live_) live_->hide();
    out_ << withoutCarriageReturns(line) << std::flush;
    if (live_) live_->redraw();
}

// The hint is for standard error, where the runner puts it: the transcript stays as the window shows it.
void TranscriptView::showMessage(const std::string& title, const std::string& text, const std::string&) {
    printBlock("message box: " + title, text);
}

}  // namespace rq::cli
