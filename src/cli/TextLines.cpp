#include "cli/TextLines.h"

#include "core/log/Json.h"

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

std::string taggedWithPort(const std::string& jsonLine, const std::string& port) {
    if (jsonLine.empty() || jsonLine[0] != '{') return jsonLine;
    const std::string field = "\"port\":" + jsonString(port);
    const auto afterTime = jsonLine.rfind("{\"t\":", 0) == 0 ? jsonLine.find(',') : std::string::npos;
    if (afterTime != std::string::npos)
        return jsonLine.substr(0, afterTime + 1) + field + "," + jsonLine.substr(afterTime + 1);
    return "{" + field + (jsonLine.size() > 2 ? "," : "") + jsonLine.substr(1);
}

}  // namespace rq::cli
