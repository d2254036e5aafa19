#include "core/wizard/ForceUpdate.h"

#include <cctype>

#include "core/text/Text.h"

namespace rq {
namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool isSign(char c) {
    return c == '+' || c == '-';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Digits with grouping separators between them; returns the number of digits taken.
std::size_t takeGroupedDigits(std::string_view text, std::size_t& at) {
    std::size_t digits = 0;
    while (at < text.size()) {
        if (isDigit(text[at])) {
            ++digits;
            ++at;
        } else if (text[at] == ',' && digits > 0 && at + 1 < text.size() && isDigit(text[at + 1])) {
            ++at;
        } else {
            break;
        }
    }
    return digits;
}

std::size_t takeDigits(std::string_view text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && isDigit(text[at])) ++at;
    return at - start;
}

constexpr std::string_view kRetry = "正しいナンバーを入力してから再度「Set」ボタンをクリックしてください。";

}  // namespace

bool isNumericText(std::string_view text) {
    text = trimBlanks(text);
    if (!text.empty() && isSign(text.front())) {
        text = trimBlanks(text.substr(1));
    } else if (!text.empty() && isSign(text.back())) {
        text = trimBlanks(text.substr(0, text.size() - 1));
    }
    std::size_t at = 0;
    std::size_t digits = takeGroupedDigits(text, at);
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += takeDigits(text, at);
    }
    if (digits == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E' || text[at] == 'd' || text[at] == 'D')) {
        ++at;
        if (at < text.size() && isSign(text[at])) ++at;
        if (takeDigits(text, at) == 0) return false;
    }
    return at == text.size();
}

std::optional<ErrorMessage> checkSerialEntry(std::string_view entry) {
    if (!isNumericText(entry)) {
        return ErrorMessage{"入力エラー",
                            joinLines({"シリアルナンバーに数値以外の文字が入力されいます。", kRetry})};
    }
    if (entry.size() != 5) {
        return ErrorMessage{"入力エラー", joinLines({"シリアルナンバーの桁数が正しくありません。", kRetry})};
    }
    return std::nullopt;
}

void storeModelAndSerial(const ModelSerialEntry& entry, ParameterStore& store) {
    store.ModelName = entry.model;
    store.SerialNumber = entry.serial + " ";
}

}  // namespace rq
