#pragma once

#include <cstddef>
#include <string_view>

namespace rq::cli {

// The columns a UTF-8 text takes on a terminal. Full-width characters take two, and so does every
// character whose width terminals disagree on, so that a line measured here never wraps.
std::size_t displayColumns(std::string_view text);

// The longest start of the text that fits in `columns`, cut between characters.
std::string_view fitColumns(std::string_view text, std::size_t columns);

}  // namespace rq::cli
