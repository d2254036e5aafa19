#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/params/FilledValues.h"
#include "core/params/ParameterStore.h"

namespace rq {

// One value as a listing shows it: a number, a list of numbers, or the characters of a text field. A
// value that no answer filled is a number without a value, a character field too.
struct ListedValue {
    std::string name;  // empty when the value is its line's only one
    std::vector<std::optional<std::uint32_t>> numbers;
    bool list = false;                // shown as a list, however many numbers
    std::uint8_t width = 1;           // bytes per number on the wire: 1, or 4 for a u32
    std::optional<std::string> text;  // a character field, one character per device byte
};

// The values of one selector combination: ("channel", 2), ("sub-index", 1) ...; none for a group held once.
struct ListedLine {
    std::vector<std::pair<std::string, int>> address;
    std::vector<ListedValue> values;  // none: no answer filled any of them (a slot of Param21Group)
};

struct ListedGroup {
    std::string name;  // the store's field name
    std::vector<ListedLine> lines;
};

// The device values of the store, identity first, then every channel parameter group in command order;
// lines in the order of their selectors, the first outermost. What `filled` does not hold is listed
// without its value.
std::vector<ListedGroup> listStore(const ParameterStore& store, const FilledValues& filled);

}  // namespace rq
