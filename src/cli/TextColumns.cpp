#include "cli/TextColumns.h"

namespace rq::cli {
namespace {

struct Character {
    char32_t code;
    std::size_t bytes;
};

// One character at the start of `text`; a byte that starts no valid sequence counts as one character.
Character firstCharacter(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0x80           ? 1
                               : (lead >> 5) == 0x6  ? 2
                               : (lead >> 4) == 0xE  ? 3
                               : (lead >> 3) == 0x1E ? 4
                                                     : 0;
    if (length == 0 || length > text.size()) return {lead, 1};
    if (length == 1) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {lead, 1};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return {code, length};
}

std::size_t columnsOf(char32_t code) {
    const bool combining = (code >= 0x0300 && code <= 0x036F) || (code >= 0x200B && code <= 0x200F) ||
                           (code >= 0xFE00 && code <= 0xFE0F);
    if (combining) return 0;
    const bool halfWidthForm = code >= 0xFF61 && code <= 0xFFDC;
    return code < 0x0300 || halfWidthForm ? 1 : 2;
}

}  // namespace

std::size_t displayColumns(std::string_view text) {
    std::size_t columns = 0;
    while (!text.empty()) {
        const Character character = firstCharacter(text);
        columns += columnsOf(character.code);
        text.remove_prefix(character.bytes);
    }
    return columns;
}

std::string_view fitColumns(std::string_view text, std::size_t columns) {
    std::size_t used = 0;
    std::size_t bytes = 0;
    while (bytes < text.size()) {
        const Character character = firstCharacter(text.substr(bytes));
        const std::size_t width = columnsOf(character.code);
        if (used + width > columns) break;
        used += width;
        bytes += character.bytes;
    }
    return text.substr(0, bytes);
}

}  // namespace rq::cli
