#include "core/flash/ProcessLog.h"

#include "core/text/Text.h"

namespace rq {

void ProcessLog::show(std::string_view line) {
    view_.setText(Control::txtProcess, withLine(line));
}

void ProcessLog::keep(std::string_view line) {
    finished_ = withLine(line);
    view_.setText(Control::txtProcess, finished_);
}

std::string ProcessLog::withLine(std::string_view line) const {
    std::string text = finished_;
    text += kNewLine;
    text += line;
    return text;
}

}  // namespace rq
