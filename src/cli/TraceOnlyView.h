#pragma once

#include <ostream>

#include "cli/TextLines.h"
#include "core/io/SilentView.h"

namespace rq::cli {

// Shows nothing but the trace, on standard error: standard output is the report's alone.
class TraceOnlyView final : public SilentView {
  public:
    explicit TraceOnlyView(std::ostream& err) : err_(err) {}

    void traceLine(const std::string& line) override { err_ << withoutCarriageReturns(line) << std::flush; }

  private:
    std::ostream& err_;
};

}  // namespace rq::cli
