#pragma once

#include <string>
#include <string_view>

#include "core/io/WizardView.h"

namespace rq {

// txtProcess during programming: the lines of the finished stages, then the line of the running one.
class ProcessLog {
  public:
    ProcessLog(WizardView& view, std::string_view firstLine) : view_(view), finished_(firstLine) {}

    // Shows the line below the finished ones, in place of the previous current line.
    void show(std::string_view line);
    // Shows the line and counts it among the finished ones.
    void keep(std::string_view line);

  private:
    std::string withLine(std::string_view line) const;

    WizardView& view_;
    std::string finished_;
};

}  // namespace rq
