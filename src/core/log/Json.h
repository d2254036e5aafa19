#pragma once

#include <string>
#include <string_view>

namespace rq {

// A JSON string literal: UTF-8 passes as it is, quotes, backslashes and control characters are escaped.
std::string jsonString(std::string_view text);

}  // namespace rq
