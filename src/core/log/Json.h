#pragma once

#include <string>
#include <string_view>

namespace rq {

// A JSON string literal: UTF-8 passes as it is, quotes, backslashes and control characters are escaped.
std::string jsonString(std::string_view text);

// A device's character field as text: byte n becomes the character U+00nn, in UTF-8.
std::string utf8OfBytes(std::string_view bytes);

}  // namespace rq
