#include "cli/ReaderView.h"

#include <ostream>

#include "cli/TextLines.h"

namespace rq::cli {
namespace {

constexpr std::string_view kIndent = "  ";
constexpr int kVersionCheckStep = 2;

// Each line of a text, but the empty ones, indented.
std::string indentedLines(const std::string& text) {
    std::string lines;
    std::size_t start = 0;
    const std::string plain = withoutCarriageReturns(text);
    while (start <= plain.size()) {
        const auto end = std::min(plain.find('\n', start), plain.size());
        if (end > start) lines.append(kIndent).append(plain, start, end - start).append("\n");
        start = end + 1;
    }
    return lines;
}

}  // namespace

void TenthsProgress::showText(const std::string& text) {
    if (text.empty()) {
        settle();
        prefix_.clear();
        return;
    }
    auto [prefix, line] = splitLastLine(text);
    if (current_ && prefix == prefix_) {
        replaced_ = replaced_ || line != *current_;
        current_ = std::move(line);
        return;
    }
    // The line above the new one has ended its run.
    current_.reset();
    if (!prefix.empty()) print(lastLine(prefix));
    prefix_ = std::move(prefix);
    current_ = std::move(line);
    replaced_ = false;
    tenths_ = 0;
}

void TenthsProgress::showProgress(const Progress& progress) {
    if (!current_ || !replaced_) return;
    const int tenths = static_cast<int>(barFraction(progress) * 10);
    if (tenths <= tenths_ || tenths >= 10) return;
    tenths_ = tenths;
    out_ << kIndent << *current_ << "  " << tenths * 10 << "%\n" << std::flush;
}

void TenthsProgress::settle() {
    if (!current_) return;
    print(*current_);
    current_.reset();
}

void TenthsProgress::print(const std::string& line) {
    if (line == printed_) return;
    out_ << kIndent << line << "\n" << std::flush;
    printed_ = line;
}

ReaderView::ReaderView(std::ostream& out, std::optional<LiveProgress> live)
    : out_(out), live_(std::move(live)), tenths_(out) {}

std::ostream& ReaderView::print() {
    if (live_) {
        live_->settle();
    } else {
        tenths_.settle();
    }
    return out_;
}

void ReaderView::note(const std::string& what) {
    print() << "* " << what << "\n" << std::flush;
}

void ReaderView::showInstructions() {
    print() << indentedLines(instructions_) << std::flush;
}

void ReaderView::summary(const std::string& line) {
    print() << line << "\n" << std::flush;
}

void ReaderView::setText(Control control, const std::string& text) {
    switch (control) {
        case Control::txtInfo: {
            const std::string title = text.substr(0, text.find('\r'));
            instructions_ = text.substr(title.size());
            if (title == title_) return;
            title_ = title;
            print() << title << "\n";
            if (stepIndex_ == kVersionCheckStep)
                out_ << kIndent << "更新前 " << deviceVersion_ << " ---> 更新後 " << fileVersion_ << "\n";
            out_ << std::flush;
            return;
        }
        case Control::txtProcess:
            showProcessText(text);
            return;
        case Control::lblFWOld:
            deviceVersion_ = text;
            return;
        case Control::lblFWNew:
            fileVersion_ = text;
            return;
        default:
            return;
    }
}

void ReaderView::showProcessText(const std::string& text) {
    if (live_) {
        live_->showText(text);
    } else {
        tenths_.showText(text);
    }
}

void ReaderView::setProgress(const Progress& progress) {
    if (live_) {
        live_->showProgress(progress);
    } else {
        tenths_.showProgress(progress);
    }
}

void ReaderView::traceLine(const std::string& line) {
    if (live_) live_->hide();
    out_ << withoutCarriageReturns(line) << std::flush;
    if (live_) live_->redraw();
}

// The hint is for standard error, where the runner puts it.
void ReaderView::showMessage(const std::string& title, const std::string& text, const std::string&) {
    print() << kIndent << "[" << title << "]\n" << indentedLines(text) << std::flush;
}

}  // namespace rq::cli
