#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rq {

// One JSON value as read from a text. Objects keep their members in the order written.
struct JsonValue {
    enum class Kind : std::uint8_t { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;               // a string, as UTF-8
    std::vector<std::string> keys;  // an object's member names, beside their values in `items`
    std::vector<JsonValue> items;   // an array's elements or an object's values

    // The value of an object's member; nullptr when this is no object or has no such member.
    const JsonValue* member(std::string_view key) const;
    // A number without a fraction in [0, max]; nullopt otherwise.
    std::optional<std::uint32_t> whole(std::uint32_t max) const;
};

// Nesting deeper than this is refused, so that no input can exhaust the stack.
inline constexpr int kMaxJsonDepth = 32;

// The one JSON value the text holds, blanks around it allowed; nullopt for anything else: a syntax
// error, a repeated member name, a string with a raw control character, nesting beyond the limit.
std::optional<JsonValue> parseJson(std::string_view text);

}  // namespace rq
