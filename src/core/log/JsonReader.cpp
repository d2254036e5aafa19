#include "core/log/JsonReader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace rq {
namespace {

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document() {
        JsonValue value;
        if (!readValue(value, 0)) return std::nullopt;
        skipBlanks();
        if (at_ != text_.size()) return std::nullopt;
        return value;
    }

  private:
    bool readValue(JsonValue& value, int depth) {
        skipBlanks();
        if (at_ >= text_.size() || depth > kMaxJsonDepth) return false;
        switch (text_[at_]) {
            case '{':
                return readObject(value, depth);
            case '[':
                return readArray(value, depth);
            case '"':
                value.kind = JsonValue::Kind::String;
                return readString(value.text);
            case 't':
                value.kind = JsonValue::Kind::Boolean;
                value.boolean = true;
                return word("true");
            case 'f':
                value.kind = JsonValue::Kind::Boolean;
                return word("false");
            case 'n':
                return word("null");
            default:
                value.kind = JsonValue::Kind::Number;
                return readNumber(value.number);
        }
    }

    bool readObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++at_;
        if (take('}')) return true;
        do {
            skipBlanks();
            std::string key;
            if (!readString(key) || !take(':')) return false;
            if (std::find(value.keys.begin(), value.keys.end(), key) != value.keys.end()) return false;
            value.keys.push_back(std::move(key));
            if (!readValue(value.items.emplace_back(), depth + 1)) return false;
        } while (take(','));
        return take('}');
    }

    bool readArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++at_;
        if (take(']')) return true;
        do {
            if (!readValue(value.items.emplace_back(), depth + 1)) return false;
        } while (take(','));
        return take(']');
    }

    bool readString(std::string& out) {
        if (at_ >= text_.size() || text_[at_] != '"') return false;
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
            } else if (!readEscape(out)) {
                return false;
            }
        }
        return false;
    }

    bool readEscape(std::string& out) {
        if (at_ >= text_.size()) return false;
        const char c = text_[at_++];
        static constexpr std::string_view kFrom = "\"\\/bfnrt";
        static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
        if (const auto simple = kFrom.find(c); simple != std::string_view::npos) {
            out += kTo[simple];
            return true;
        }
        if (c != 'u') return false;
        std::uint32_t code = 0;
        if (!readHex4(code)) return false;
        if (code >= 0xD800 && code < 0xDC00) {
            std::uint32_t low = 0;
            if (!word("\\u") || !readHex4(low) || low < 0xDC00 || low >= 0xE000) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        } else if (code >= 0xDC00 && code < 0xE000) {
            return false;
        }
        appendUtf8(out, code);
        return true;
    }

    bool readHex4(std::uint32_t& code) {
        if (text_.size() - at_ < 4) return false;
        const char* begin = text_.data() + at_;
        const auto [end, error] = std::from_chars(begin, begin + 4, code, 16);
        if (error != std::errc() || end != begin + 4) return false;
        at_ += 4;
        return true;
    }

    static void appendUtf8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // The grammar of a JSON number: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    bool readNumber(double& number) {
        const std::size_t start = at_;
        accept('-');
        if (!accept('0') && !digits()) return false;
        if (accept('.') && !digits()) return false;
        if (accept('e') || accept('E')) {
            if (!accept('+')) accept('-');
            if (!digits()) return false;
        }
        const char* begin = text_.data() + start;
        const auto [end, error] = std::from_chars(begin, text_.data() + at_, number);
        return error == std::errc() && end == text_.data() + at_ && std::isfinite(number);
    }

    bool digits() {
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
        return at_ > start;
    }

    bool word(std::string_view expected) {
        if (text_.substr(at_, expected.size()) != expected) return false;
        at_ += expected.size();
        return true;
    }

    // The character next, blanks before it allowed.
    bool take(char c) {
        skipBlanks();
        return accept(c);
    }

    // The character next, at once.
    bool accept(char c) {
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }

    void skipBlanks() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<JsonValue> parseJson(std::string_view text) {
    return Reader(text).document();
}

const JsonValue* JsonValue::member(std::string_view key) const {
    if (kind != Kind::Object) return nullptr;
    const auto it = std::find(keys.begin(), keys.end(), key);
    return it == keys.end() ? nullptr : &items[static_cast<std::size_t>(it - keys.begin())];
}

std::optional<std::uint32_t> JsonValue::whole(std::uint32_t max) const {
    if (kind != Kind::Number || number < 0 || number > max || std::floor(number) != number)
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

}  // namespace rq
