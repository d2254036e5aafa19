#include "core/params/StoreListing.h"

#include <algorithm>

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

ListedGroup once(std::string name, Values values) {
    return {std::move(name), {{{}, std::move(values)}}};
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

// The values of one store as a listing shows them: each with its number only where an answer filled it.
class Lister {
  public:
    explicit Lister(const FilledValues& filled) : filled_(filled) {}

    ListedValue value(std::string name, const std::uint8_t& number) const {
        return {std::move(name), {read(number)}, false, 1, {}};
    }
    ListedValue value(std::string name, const std::uint32_t& number) const {
        return {std::move(name), {read(number)}, false, 4, {}};
    }
    template <typename T, std::size_t N>
    ListedValue value(std::string name, const std::array<T, N>& numbers) const {
        ListedValue listed{std::move(name), {}, true, sizeof(T), {}};
        for (const T& number : numbers) listed.numbers.push_back(read(number));
        return listed;
    }

    ListedValue characters(const std::string& text) const {
        if (!filled_.holds(text)) return {"", {std::nullopt}, false, 1, {}};
        return {"", {}, false, 1, text};
    }

    template <typename T>
    Values one(const T& number) const {
        return {value("", number)};
    }

    // The store's slot keys are never set, so an answer fills a slot whose key it carries: the slot is
    // shown with that key once its bytes were filled, and not at all before.
    Values slot(const Param21Slot& slot) const {
        const bool filled = std::any_of(slot.b.begin(), slot.b.end(),
                                        [&](const std::uint8_t& byte) { return filled_.holds(byte); });
        if (!filled) return {};
        return {{"key", {slot.key}, false, 1, {}},
                value("b1", slot.b[0]),
                value("b2", slot.b[1]),
                value("b3", slot.b[2])};
    }

    Values wordsAndBytes(const WordsAndBytes& group) const {
        return {value("words", group.words), value("bytes", group.bytes)};
    }

    Values wordOrByte(const WordOrByte& group) const {
        return {value("word", group.word), value("byte", group.byte)};
    }

    Values twoWords(const TwoWords& words) const {
        return {value("first", words.first), value("second", words.second)};
    }

    Values half(const Param83Half& half) const {
        return {value("A", half.A), value("B", half.B), value("words", half.words)};
    }

  private:
    template <StoredValue T>
    std::optional<std::uint32_t> read(const T& number) const {
        if (!filled_.holds(number)) return std::nullopt;
        return number;
    }

    const FilledValues& filled_;
};

}  // namespace

std::vector<ListedGroup> listStore(const ParameterStore& s, const FilledValues& filled) {
    const Lister l(filled);
    const auto one = [&l](const auto& number) { return l.one(number); };
    const auto slot = [&l](const Param21Slot& slot) { return l.slot(slot); };
    const auto twoWords = [&l](const TwoWords& words) { return l.twoWords(words); };
    const auto half = [&l](const Param83Half& half) { return l.half(half); };
    const Param22Values& p22 = s.Param22Group;
    return {
        once("ModelName", {l.characters(s.ModelName)}),
        once("SerialNumber", {l.characters(s.SerialNumber)}),
        once("Param03Value", one(s.Param03Value)),
        once("Param04Value", one(s.Param04Value)),
        once("FirmwareVersion", one(s.FirmwareVersion)),
        once("Param06Value", one(s.Param06Value)),
        once("Param11Group", one(s.Param11Group)),
        once("Param12Group", one(s.Param12Group)),
        nested("Param21Group", s.Param21Group, {kSlot}, slot),
        once("Param22Group",
             {l.value("shared", p22.shared), l.value("bytes", p22.bytes), l.value("words", p22.words)}),
        once("Param23Group", {l.value("P", s.Param23Group.P), l.value("Q", s.Param23Group.Q)}),
        nested("Param25Group", s.Param25Group, {kChannel}, one),
        once("Param31Group", one(s.Param31Group)),
        nested("Param32Group", s.Param32Group, {kChannel}, one),
        nested("Param33Group", s.Param33Group, {kChannel, kSubIndex, kIndex}, one),
        nested("Param34Group", s.Param34Group, {kChannel, kSubIndex}, one),
        nested("Param35Group", s.Param35Group, {kChannel}, one),
        nested("Param41Group", s.Param41Group, {kChannel}, one),
        nested("Param42Group", s.Param42Group, {kChannel}, one),
        nested("Param51Group", s.Param51Group, {kChannel}, one),
        once("Param52Group", one(s.Param52Group)),
        nested("Param53Group", s.Param53Group, {kChannel}, one),
        once("Param54Group", one(s.Param54Group)),
        once("Param55Group", one(s.Param55Group)),
        once("Param61Group", l.wordsAndBytes(s.Param61Group)),
        once("Param62Group", l.wordsAndBytes(s.Param62Group)),
        once("Param63Group", one(s.Param63Group)),
        once("Param64Group", one(s.Param64Group)),
        nested("Param65Group", s.Param65Group, {kChannel}, one),
        once("Param66Group", l.wordOrByte(s.Param66Group)),
        nested("Param67Group", s.Param67Group, {kChannel}, twoWords),
        once("Param72Group", l.wordOrByte(s.Param72Group)),
        nested("Param73Group", s.Param73Group, {kChannel}, one),
        nested("Param74Group", s.Param74Group, {kChannel}, one),
        nested("Param75Group", s.Param75Group, {kChannel}, one),
        once("Param82Group", l.wordOrByte(s.Param82Group)),
        // The received copy: what the device holds.
        nested("Param83Group", s.Param83Group.received, {kChannel, kIndex, kSubIndex}, half),
        once("Param91Group", one(s.Param91Group)),
        once("Param93Group", one(s.Param93Group)),
        nested("Param102Group", s.Param102Group, {kChannel, kSubIndex}, one),
        once("Param104Group", one(s.Param104Group)),
    };
}

}  // namespace rq
