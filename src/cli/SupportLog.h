#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "core/wizard/JsonEventView.h"
#include "core/log/RunLog.h"

namespace rq::cli {

// The support log of one run, when --log asks for one: the program, the system, then every change
// the run shows, as JSON lines in the file.
class SupportLog {
  public:
    // Without a path there is no log. False, said on `err`, when the file cannot be written.
    bool open(const std::string& path, const Clock& clock, const std::string& command, std::ostream& err);
    // One device's part of the log of several: each line carries its port.
    void share(RunLog& log, const Clock& clock, const std::string& port);
    // The lines of the log opened, for the devices that share it; nullptr without a log.
    RunLog* lines() { return view_ ? &log_ : nullptr; }
    // The record to hand every change to; nullptr without a log.
    JsonEventView* view() { return view_.get(); }
    void note(const std::string& what) {
        if (view_) view_->note(what);
    }
    void hint(const std::string& advice) {
        if (view_) view_->hint(advice);
    }
    void warning(const std::string& what) {
        if (view_) view_->warning(what);
    }
    void summary(const RunSummary& summary) {
        if (view_) view_->summary(summary);
    }
    void pendingIdentity(const std::string& file, const std::string& command) {
        if (view_) view_->pendingIdentity(file, command);
    }

  private:
    RunLog log_;
    std::unique_ptr<JsonEventView> view_;
};

}  // namespace rq::cli
