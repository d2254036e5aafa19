#include "core/params/StoreListing.h"

namespace rq {
namespace {

using Values = std::vector<ListedValue>;
using Address = std::vector<std::pair<std::string, int>>;

// A level of a group's nested arrays, and the number of its first element.
struct Dimension {
    const char* name;
    int first = 1;
};

constexpr Dimension kChannel{"channel"};
constexpr Dimension kSubIndex{"sub-index"};
constexpr Dimension kIndex{"index"};
constexpr Dimension kSlot{"slot", 0};

ListedValue value(std::string name, std::uint8_t number) {
    return {std::move(name), {number}, false, 1, {}};
}

ListedValue value(std::string name, std::uint32_t number) {
    return {std::move(name), {number}, false, 4, {}};
}

template <typename T, std::size_t N>
ListedValue value(std::string name, const std::array<T, N>& numbers) {
    return {std::move(name), {numbers.begin(), numbers.end()}, true, sizeof(T), {}};
}

ListedValue characters(const std::string& text) {
    return {"", {}, false, 1, text};
}

template <typename T>
Values one(const T& number) {
    return {value("", number)};
}

ListedGroup once(std::string name, Values values) {
    return {std::move(name), {{{}, std::move(values)}}};
}

template <std::size_t Level, std::size_t Depth, typename Nested, typename Describe>
void addLines(ListedGroup& group, const Nested& values, const Dimension (&dimensions)[Depth],
              Describe& describe, Address& address) {
    if constexpr (Level == Depth) {
        group.lines.push_back({address, describe(values)});
    } else {
        for (std::size_t i = 0; i < values.size(); ++i) {
            address.emplace_back(dimensions[Level].name, dimensions[Level].first + static_cast<int>(i));
            addLines<Level + 1>(group, values[i], dimensions, describe, address);
            address.pop_back();
        }
    }
}

// One line per element of the group's nested arrays, one level per dimension.
template <typename Nested, std::size_t Depth, typename Describe>
ListedGroup nested(std::string name, const Nested& values, const Dimension (&dimensions)[Depth],
                   Describe describe) {
    ListedGroup group{std::move(name), {}};
    Address address;
    addLines<0>(group, values, dimensions, describe, address);
    return group;
}

template <typename Nested, std::size_t Depth>
ListedGroup nested(std::string name, const Nested& values, const Dimension (&dimensions)[Depth]) {
    return nested(std::move(name), values, dimensions, [](const auto& number) { return one(number); });
}

Values slot(const Param21Slot& slot) {
    return {value("key", slot.key), value("b1", slot.b[0]), value("b2", slot.b[1]), value("b3", slot.b[2])};
}

Values wordsAndBytes(const WordsAndBytes& group) {
    return {value("words", group.words), value("bytes", group.bytes)};
}

Values wordOrByte(const WordOrByte& group) {
    return {value("word", group.word), value("byte", group.byte)};
}

Values twoWords(const TwoWords& words) {
    return {value("first", words.first), value("second", words.second)};
}

Values half(const Param83Half& half) {
    return {value("A", half.A), value("B", half.B), value("words", half.words)};
}

}  // namespace

std::vector<ListedGroup> listStore(const ParameterStore& s) {
    const Param22Values& p22 = s.Param22Group;
    return {
        once("ModelName", {characters(s.ModelName)}),
        once("SerialNumber", {characters(s.SerialNumber)}),
        once("Param03Value", one(s.Param03Value)),
        once("Param04Value", one(s.Param04Value)),
        once("FirmwareVersion", one(s.FirmwareVersion)),
        once("Param06Value", one(s.Param06Value)),
        once("Param11Group", one(s.Param11Group)),
        once("Param12Group", one(s.Param12Group)),
        nested("Param21Group", s.Param21Group, {kSlot}, slot),
        once("Param22Group",
             {value("shared", p22.shared), value("bytes", p22.bytes), value("words", p22.words)}),
        once("Param23Group", {value("P", s.Param23Group.P), value("Q", s.Param23Group.Q)}),
        nested("Param25Group", s.Param25Group, {kChannel}),
        once("Param31Group", one(s.Param31Group)),
        nested("Param32Group", s.Param32Group, {kChannel}),
        nested("Param33Group", s.Param33Group, {kChannel, kSubIndex, kIndex}),
        nested("Param34Group", s.Param34Group, {kChannel, kSubIndex}),
        nested("Param35Group", s.Param35Group, {kChannel}),
        nested("Param41Group", s.Param41Group, {kChannel}),
        nested("Param42Group", s.Param42Group, {kChannel}),
        nested("Param51Group", s.Param51Group, {kChannel}),
        once("Param52Group", one(s.Param52Group)),
        nested("Param53Group", s.Param53Group, {kChannel}),
        once("Param54Group", one(s.Param54Group)),
        once("Param55Group", one(s.Param55Group)),
        once("Param61Group", wordsAndBytes(s.Param61Group)),
        once("Param62Group", wordsAndBytes(s.Param62Group)),
        once("Param63Group", one(s.Param63Group)),
        once("Param64Group", one(s.Param64Group)),
        nested("Param65Group", s.Param65Group, {kChannel}),
        once("Param66Group", wordOrByte(s.Param66Group)),
        nested("Param67Group", s.Param67Group, {kChannel}, twoWords),
        once("Param72Group", wordOrByte(s.Param72Group)),
        nested("Param73Group", s.Param73Group, {kChannel}),
        nested("Param74Group", s.Param74Group, {kChannel}),
        nested("Param75Group", s.Param75Group, {kChannel}),
        once("Param82Group", wordOrByte(s.Param82Group)),
        // The received copy: what the device holds.
        nested("Param83Group", s.Param83Group.received, {kChannel, kIndex, kSubIndex}, half),
        once("Param91Group", one(s.Param91Group)),
        once("Param93Group", one(s.Param93Group)),
        nested("Param102Group", s.Param102Group, {kChannel, kSubIndex}),
        once("Param104Group", one(s.Param104Group)),
    };
}

}  // namespace rq
