#include "core/text/Text.h"

#include <cstdio>

namespace rq {

std::string joinLines(std::initializer_list<std::string_view> lines) {
    std::string text;
    bool first = true;
    for (const std::string_view line : lines) {
        if (!first) text += kNewLine;
        text += line;
        first = false;
    }
    return text;
}

std::string printableBytes(std::string_view bytes) {
    std::string shown;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown;
}

std::string clockTime(Micros duration) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    }
    return text;
}

std::string orDash(const std::string& text) {
    return text.empty() ? "-" : text;
}

}  // namespace rq
