#include "cli/TextLines.h"

namespace rq::cli {

std::string withoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::pair<std::string, std::string> splitLastLine(const std::string& text) {
    std::string lines = withoutCarriageReturns(text);
    const auto at = lines.rfind('\n');
    if (at == std::string::npos) return {"", lines};
    return {lines.substr(0, at), lines.substr(at + 1)};
}

std::string lastLine(const std::string& text) {
    return splitLastLine(text).second;
}

}  // namespace rq::cli
