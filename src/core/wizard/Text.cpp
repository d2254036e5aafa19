#include "core/wizard/Text.h"

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

}  // namespace rq
