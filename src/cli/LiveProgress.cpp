#include "cli/LiveProgress.h"

#include <algorithm>
#include <ostream>

#include "cli/TextColumns.h"
#include "cli/TextLines.h"
#include "core/text/Text.h"

namespace rq::cli {
namespace {

constexpr Micros kRedrawInterval = Millis(100);
constexpr std::size_t kMinBar = 10;
constexpr std::size_t kMaxBar = 30;
constexpr std::string_view kIndent = "  ";
constexpr std::string_view kEraseLine = "\r\x1b[K";

std::string barText(double done, std::size_t width) {
    const auto filled = static_cast<std::size_t>(done * static_cast<double>(width));
    std::string bar = "[";
    return bar.append(filled, '#').append(width - filled, '.').append("]");
}

}  // namespace

double barFraction(const Progress& bar) {
    if (bar.maximum <= bar.minimum) return 0.0;
    const int value = std::clamp(bar.value, bar.minimum, bar.maximum);
    return static_cast<double>(value - bar.minimum) / (bar.maximum - bar.minimum);
}

std::string progressLine(const std::string& text, const std::optional<ProgressFigures>& figures,
                         std::size_t columns) {
    // The last column is left free: writing into it makes some terminals wrap.
    const auto room = static_cast<std::ptrdiff_t>(columns) - 1;
    const std::string line = std::string(kIndent) + text;
    if (room <= 0) return {};
    if (!figures) return std::string(fitColumns(line, static_cast<std::size_t>(room)));

    const double done = barFraction(figures->bar);
    std::string percent = std::to_string(static_cast<int>(done * 100)) + "%";
    percent.insert(0, 4 - percent.size(), ' ');
    std::string times = "  ";
    times.append(clockTime(figures->elapsed));
    if (figures->remaining) times.append(" (").append(clockTime(*figures->remaining)).append(" left)");

    // Columns left for the bar between the text and what follows it.
    const auto barRoom = [&](const std::string& head, const std::string& tail) {
        const auto fixed = displayColumns(head) + 4 + percent.size() + displayColumns(tail);
        return room - static_cast<std::ptrdiff_t>(fixed);
    };
    const auto compose = [&](const std::string& head, const std::string& tail) {
        const auto width = std::min(static_cast<std::size_t>(barRoom(head, tail)), kMaxBar);
        return head + " " + barText(done, width) + " " + percent + tail;
    };
    const auto minBar = static_cast<std::ptrdiff_t>(kMinBar);
    if (barRoom(line, times) >= minBar) return compose(line, times);
    if (barRoom(line, "") >= minBar) return compose(line, "");
    const auto textRoom = room - static_cast<std::ptrdiff_t>(4 + percent.size() + kMinBar);
    if (textRoom <= static_cast<std::ptrdiff_t>(kIndent.size())) {
        return std::string(fitColumns(line + " " + percent, static_cast<std::size_t>(room)));
    }
    return compose(std::string(fitColumns(line, static_cast<std::size_t>(textRoom))), "");
}

LiveProgress::LiveProgress(std::ostream& out, const Clock& clock, Columns columns)
    : out_(out), clock_(clock), columns_(std::move(columns)) {}

void LiveProgress::showText(const std::string& text) {
    if (text.empty()) {
        hide();
        current_.reset();
        prefix_.clear();
        printed_.clear();
        return;
    }
    auto [prefix, line] = splitLastLine(text);
    if (current_ && prefix == prefix_) {
        current_ = std::move(line);
        draw(false);
        return;
    }
    // The line above the new one has ended its run.
    if (!prefix.empty()) printForGood(lastLine(prefix));
    startRun(std::move(prefix), std::move(line));
}

void LiveProgress::startRun(std::string prefix, std::string line) {
    hide();
    prefix_ = std::move(prefix);
    current_ = std::move(line);
    runStart_ = clock_.now();
    barStart_.reset();
    draw(true);
}

void LiveProgress::showProgress(const Progress& progress) {
    if (progress == progress_) return;
    const bool restarted =
        barStart_ && (progress.value < barStart_->second.value || progress.minimum != progress_.minimum ||
                      progress.maximum != progress_.maximum);
    progress_ = progress;
    if (!current_) return;
    if (!barStart_ || restarted) barStart_ = {clock_.now(), progress};
    draw(false);
}

void LiveProgress::settle() {
    if (!current_) return;
    printForGood(*current_);
    current_.reset();
}

void LiveProgress::printForGood(const std::string& line) {
    hide();
    if (line == printed_) return;
    out_ << kIndent << line << "\n" << std::flush;
    printed_ = line;
}

void LiveProgress::hide() {
    if (!drawn_) return;
    out_ << kEraseLine << std::flush;
    drawn_ = false;
}

void LiveProgress::redraw() {
    if (current_) draw(true);
}

void LiveProgress::draw(bool now) {
    const Micros at = clock_.now();
    if (!now && drawn_ && at - lastDraw_ < kRedrawInterval) return;
    out_ << "\r" << progressLine(*current_, figures(), columns_()) << "\x1b[K" << std::flush;
    drawn_ = true;
    lastDraw_ = at;
}

std::optional<ProgressFigures> LiveProgress::figures() const {
    if (!barStart_) return std::nullopt;
    const Micros now = clock_.now();
    ProgressFigures figures{progress_, now - runStart_, std::nullopt};
    const auto& [since, start] = *barStart_;
    const int done = progress_.value - start.value;
    if (done > 0) figures.remaining = (now - since) * (progress_.maximum - progress_.value) / done;
    return figures;
}

}  // namespace rq::cli
