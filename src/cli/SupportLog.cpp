#include "cli/SupportLog.h"

#include <ostream>

#include "cli/TextLines.h"
#include "platform/SystemInfo.h"

namespace rq::cli {

bool SupportLog::open(const std::string& path, const Clock& clock, const std::string& command,
                      std::ostream& err) {
    if (path.empty()) return true;
    if (!log_.writeTo(path)) {
        err << "rqfwup-cli: cannot write " << path << "\n";
        return false;
    }
    view_ = std::make_unique<JsonEventView>(clock, [this](const std::string& line) { log_.append(line); });
    view_->programInfo("rqfwup-cli " + command, systemDescription());
    return true;
}

void SupportLog::share(RunLog& log, const Clock& clock, const std::string& port) {
    view_ = std::make_unique<JsonEventView>(
        clock, [&log, port](const std::string& line) { log.append(taggedWithPort(line, port)); });
}

}  // namespace rq::cli
