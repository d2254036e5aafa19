#pragma once

#include <string>

namespace rq {

// The text of the traffic log: newest entry first, emptied before the write that follows 501 lines.
class TraceBox {
  public:
    // `entry` is one whole trace line, CR LF included.
    void append(const std::string& entry) {
        if (TraceLineCount > kMaxLines) clear();
        text_.insert(0, entry);
        ++TraceLineCount;
    }
    void clear() {
        text_.clear();
        TraceLineCount = 0;
    }
    const std::string& text() const { return text_; }
    int lineCount() const { return TraceLineCount; }

  private:
    static constexpr int kMaxLines = 500;
    std::string text_;
    int TraceLineCount = 0;
};

}  // namespace rq
