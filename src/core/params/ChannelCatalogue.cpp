#include "core/params/ChannelCatalogue.h"

#include <array>
#include <initializer_list>
#include <optional>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

namespace rq {
namespace {

// The stored values that a payload position can name. Where a group has several, the item's number
// picks one, counted from 1 as W1, P3 or B2 are.
enum class Field : std::uint8_t {
    None,
    P11,
    P12,
    P21,  // b1 to b3 of the first slot whose key is the address's key
    P22Shared,
    P22Byte,
    P22Word,
    P22KeyedByte,  // of the channel whose slot (10, 11 or 12 of Param21Group) has the address's key
    P22KeyedWord,
    P23P,
    P23Q,
    P25,
    P31,
    P32,
    P33,
    P34,
    P35,
    P41,
    P42,
    P51,
    P52,
    P53,
    P54,
    P55,
    P61,  // a word in mode 0, a byte in mode 1
    P62,
    P63,
    P64,
    P65,
    P66,
    P67,  // the word that the channel's Param65Group byte picks
    P72,
    P73,
    P74,
    P75,
    P82,
    P83A,
    P83B,
    P83Word,
    P83SendingA,
    P83SendingB,
    P83SendingWord,
    P91,
    P93,
    P102,
    P104,
};

enum class Kind : std::uint8_t {
    Blank,     // request: 0; response: a byte that is not read
    Selector,  // request: RequestSelectors[number]
    Channel,   // response: the channel of the values after it
    SubIndex,
    Index,
    Mode,  // response: 0 names the words of 61, 62, 66, 72 and 82, 1 their bytes
    Key,   // response: the slot key of 21
    Byte,  // a stored value as one byte
    Word,  // a stored value as four bytes, least significant first
};

struct Item {
    Kind kind = Kind::Blank;
    Field field = Field::None;
    std::uint8_t number = 0;  // the selector, or the element of the field
};

constexpr std::size_t widthOf(const Item& item) {
    return item.kind == Kind::Word ? 4 : 1;
}

// A payload, position by position.
struct Layout {
    std::array<Item, 8> items{};
    std::size_t count = 0;

    constexpr std::span<const Item> view() const { return {items.data(), count}; }
    constexpr std::size_t bytes() const {
        std::size_t total = 0;
        for (const Item& item : view()) total += widthOf(item);
        return total;
    }
};

enum class Check : std::uint8_t {
    Absent,
    Exactly,  // a payload of exactly the layout's bytes
    AtLeast,  // no check: any payload that holds the bytes read
};

struct Form {
    Layout layout;
    Check check = Check::Absent;
};

struct Entry {
    std::optional<Layout> read;  // nullopt: the builder sets nothing for this direction
    std::optional<Layout> write;
    std::array<Form, 2> forms{};         // the responses it takes
    bool copiesEntryForSending = false;  // 83 and 84
};

// Where the values of a payload belong, as the wire numbers them: channel, sub-index and index from 1.
struct Address {
    std::uint8_t channel = 0;
    std::uint8_t sub = 0;
    std::uint8_t index = 0;
    std::uint8_t mode = 0;
    std::uint8_t key = 0;
};

Address requestAddress(const ParameterStore& store) {
    const auto& s = store.RequestSelectors;
    return {s[1], s[2], s[4], s[5], s[0]};
}

// One stored value of either width, read-only when the store is; empty when the address names none.
template <typename Store>
class Ref {
    template <typename T>
    using Like = std::conditional_t<std::is_const_v<Store>, const T, T>;

  public:
    Ref() = default;
    Ref(Like<std::uint8_t>* byte) : byte_(byte) {}
    Ref(Like<std::uint32_t>* word) : word_(word) {}

    std::uint32_t value() const { return byte_ != nullptr ? *byte_ : word_ != nullptr ? *word_ : 0; }
    // A byte takes no value above 255.
    bool holds(std::uint32_t value) const { return word_ != nullptr || (byte_ != nullptr && value <= 0xFF); }
    void set(std::uint32_t value, const ResponseTarget& target) const {
        if (byte_ != nullptr) {
            *byte_ = static_cast<std::uint8_t>(value);
            target.wrote(*byte_);
        }
        if (word_ != nullptr) {
            *word_ = value;
            target.wrote(*word_);
        }
    }

  private:
    Like<std::uint8_t>* byte_ = nullptr;
    Like<std::uint32_t>* word_ = nullptr;
};

// The element that a number from 1 names, or nullptr; several numbers walk nested arrays.
template <typename Array>
auto* element(Array& array, std::uint8_t number) {
    return number >= 1 && number <= array.size() ? &array[number - 1] : nullptr;
}
template <typename Array, typename... Numbers>
auto* element(Array& array, std::uint8_t number, Numbers... more) {
    auto* inner = element(array, number);
    return inner != nullptr ? element(*inner, more...) : nullptr;
}

template <typename Slots>
auto* keyedSlot(Slots& slots, std::uint8_t key) {
    for (auto& slot : slots)
        if (slot.key == key) return &slot;
    return static_cast<decltype(&slots[0])>(nullptr);
}

// The channel of command 22's write: the one whose slot of Param21Group (10, 11, 12) has the key.
std::uint8_t keyedChannel(const ParameterStore& store, std::uint8_t key) {
    for (std::uint8_t channel = 1; channel <= kChannels; ++channel)
        if (store.Param21Group[9 + channel].key == key) return channel;
    return 0;
}

template <typename Store, typename Group>
Ref<Store> wordOrByte(Group& group, std::uint8_t mode, std::uint8_t number) {
    if (mode == 0) return element(group.words, number);
    if (mode == 1) return element(group.bytes, number);
    return {};
}

template <typename Store, typename Group>
Ref<Store> wordOrByte(Group& group, std::uint8_t mode) {
    if (mode == 0) return &group.word;
    if (mode == 1) return &group.byte;
    return {};
}

template <typename Store>
Ref<Store> chosenWord(Store& store, std::uint8_t channel) {
    auto* words = element(store.Param67Group, channel);
    if (words == nullptr) return {};
    const std::uint8_t choice = store.Param65Group[channel - 1];
    if (choice == 1) return &words->first;
    if (choice == 0) return &words->second;
    return {};
}

// A, B or a word of the half of an 83 entry that the address names.
template <typename Store, typename Table>
Ref<Store> halfPart(Table& table, const Address& a, const Item& item) {
    auto* half = element(table, a.channel, a.index, a.sub);
    if (half == nullptr) return {};
    switch (item.field) {
        case Field::P83A:
        case Field::P83SendingA:
            return &half->A;
        case Field::P83B:
        case Field::P83SendingB:
            return &half->B;
        default:
            return element(half->words, item.number);
    }
}

template <typename Store>
Ref<Store> locate(Store& s, const Item& item, const Address& a) {
    const std::uint8_t n = item.number;
    switch (item.field) {
        case Field::None:
            return {};
        case Field::P11:
            return element(s.Param11Group, n);
        case Field::P12:
            return element(s.Param12Group, n);
        case Field::P21: {
            auto* slot = keyedSlot(s.Param21Group, a.key);
            return slot != nullptr ? element(slot->b, n) : nullptr;
        }
        case Field::P22Shared:
            return &s.Param22Group.shared;
        case Field::P22Byte:
            return element(s.Param22Group.bytes, a.channel);
        case Field::P22Word:
            return element(s.Param22Group.words, a.channel);
        case Field::P22KeyedByte:
            return element(s.Param22Group.bytes, keyedChannel(s, a.key));
        case Field::P22KeyedWord:
            return element(s.Param22Group.words, keyedChannel(s, a.key));
        case Field::P23P:
            return &s.Param23Group.P;
        case Field::P23Q:
            return &s.Param23Group.Q;
        case Field::P25:
            return element(s.Param25Group, a.channel);
        case Field::P31:
            return &s.Param31Group;
        case Field::P32:
            return element(s.Param32Group, a.channel);
        case Field::P33:
            return element(s.Param33Group, a.channel, a.sub, a.index);
        case Field::P34:
            return element(s.Param34Group, a.channel, a.sub);
        case Field::P35:
            return element(s.Param35Group, a.channel);
        case Field::P41:
            return element(s.Param41Group, a.channel);
        case Field::P42:
            return element(s.Param42Group, a.channel);
        case Field::P51:
            return element(s.Param51Group, a.channel);
        case Field::P52:
            return element(s.Param52Group, n);
        case Field::P53:
            return element(s.Param53Group, a.channel);
        case Field::P54:
            return element(s.Param54Group, n);
        case Field::P55:
            return element(s.Param55Group, n);
        case Field::P61:
            return wordOrByte<Store>(s.Param61Group, a.mode, n);
        case Field::P62:
            return wordOrByte<Store>(s.Param62Group, a.mode, n);
        case Field::P63:
            return element(s.Param63Group, n);
        case Field::P64:
            return &s.Param64Group;
        case Field::P65:
            return element(s.Param65Group, a.channel);
        case Field::P66:
            return wordOrByte<Store>(s.Param66Group, a.mode);
        case Field::P67:
            return chosenWord(s, a.channel);
        case Field::P72:
            return wordOrByte<Store>(s.Param72Group, a.mode);
        case Field::P73:
            return element(s.Param73Group, a.channel);
        case Field::P74:
            return element(s.Param74Group, a.channel);
        case Field::P75:
            return element(s.Param75Group, a.channel);
        case Field::P82:
            return wordOrByte<Store>(s.Param82Group, a.mode);
        case Field::P83A:
        case Field::P83B:
        case Field::P83Word:
            return halfPart<Store>(s.Param83Group.received, a, item);
        case Field::P83SendingA:
        case Field::P83SendingB:
        case Field::P83SendingWord:
            return halfPart<Store>(s.Param83Group.sending, a, item);
        case Field::P91:
            return element(s.Param91Group, n);
        case Field::P93:
            return &s.Param93Group;
        case Field::P102:
            return element(s.Param102Group, a.channel, a.sub);
        case Field::P104:
            return &s.Param104Group;
    }
    return {};
}

// The layout's items; none for a request of length 0.
template <typename... Items>
constexpr Layout layout(Items... items) {
    return {{items...}, sizeof...(items)};
}
constexpr Item S(std::uint8_t selector) {
    return {Kind::Selector, Field::None, selector};
}
constexpr Item byte(Field field, std::uint8_t number = 1) {
    return {Kind::Byte, field, number};
}
constexpr Item word(Field field, std::uint8_t number = 1) {
    return {Kind::Word, field, number};
}
constexpr Form exactly(const Layout& layout) {
    return {layout, Check::Exactly};
}
constexpr Form atLeast(const Layout& layout) {
    return {layout, Check::AtLeast};
}

constexpr std::optional<Layout> kSetsNothing;

constexpr std::array<Entry, 128> makeCatalogue() {
    using enum Field;
    constexpr Item _{Kind::Blank};
    constexpr Item ch{Kind::Channel};
    constexpr Item sub{Kind::SubIndex};
    constexpr Item index{Kind::Index};
    constexpr Item mode{Kind::Mode};
    constexpr Item key{Kind::Key};

    std::array<Entry, 128> c{};
    // Length rule R builds the requests of 11 and 12.
    c[PARAM_11].forms = {exactly(layout(byte(P11, 1), byte(P11, 2), byte(P11, 3), byte(P11, 4), byte(P11, 5),
                                        byte(P11, 6), byte(P11, 7), byte(P11, 8)))};
    c[PARAM_12].forms = {exactly(layout(byte(P12, 1), byte(P12, 2), byte(P12, 3), byte(P12, 4), _, _, _, _))};
    c[PARAM_21] = {layout(S(0)),
                   layout(S(0), byte(P21, 3), _),
                   {exactly(layout(key, byte(P21, 1), byte(P21, 2), byte(P21, 3), _))}};
    c[PARAM_22] = {layout(S(0)),
                   layout(S(0), byte(P22Shared), byte(P22KeyedByte), word(P22KeyedWord)),
                   {exactly(layout(_, ch, byte(P22Shared), byte(P22Byte), word(P22Word)))}};
    c[PARAM_23] = {
        layout(S(0)), layout(S(0), byte(P23Q), byte(P23P)), {exactly(layout(_, _, byte(P23Q), byte(P23P)))}};
    c[PARAM_25] = {layout(S(0)),
                   layout(S(0), S(1), byte(P25)),
                   {exactly(layout(_, ch, byte(P25))),
                    exactly(layout(_, _, ch, byte(P25), ch, byte(P25), ch, byte(P25)))}};
    c[PARAM_31] = {layout(), layout(byte(P31)), {exactly(layout(byte(P31)))}};
    c[PARAM_32] = {layout(S(1), S(3)), layout(S(1), S(3), word(P32)), {exactly(layout(ch, _, word(P32)))}};
    c[PARAM_33] = {layout(S(1), S(2), S(3)),
                   kSetsNothing,
                   {exactly(layout(ch, sub, index, word(P33))),
                    exactly(layout(ch, sub, index, word(P33), index, word(P33), index, word(P33)))}};
    // The 11-byte form holds one whole sub-index and word, at byte 2; the bytes after it are not read.
    c[PARAM_34] = {layout(S(1), S(2)),
                   layout(S(1), S(2), word(P34)),
                   {exactly(layout(ch, sub, word(P34))), exactly(layout(ch, _, sub, word(P34), _, _, _, _))}};
    c[PARAM_35] = {layout(S(1)), layout(S(1), byte(P35)), {atLeast(layout(ch, byte(P35)))}};
    c[PARAM_36] = {kSetsNothing, layout(S(1), S(2))};
    c[PARAM_41] = {layout(S(1), S(2)), layout(S(1), S(2), byte(P41)), {atLeast(layout(ch, _, byte(P41)))}};
    c[PARAM_42] = {layout(S(1)), layout(S(1), S(2), word(P42)), {atLeast(layout(ch, _, word(P42)))}};
    c[PARAM_51] = {layout(S(1), S(2)), layout(S(1), S(2), byte(P51)), {atLeast(layout(ch, _, byte(P51)))}};
    c[PARAM_52] = {
        layout(S(1)),
        layout(S(1), byte(P52, 3), byte(P52, 6), byte(P52, 2), byte(P52, 5), byte(P52, 1), byte(P52, 4)),
        {atLeast(
            layout(_, byte(P52, 3), byte(P52, 2), byte(P52, 1), byte(P52, 6), byte(P52, 5), byte(P52, 4)))}};
    c[PARAM_53] = {layout(S(1), S(2)), layout(S(1), S(2), byte(P53)), {atLeast(layout(ch, _, byte(P53)))}};
    c[PARAM_54] = {
        layout(S(1)),
        layout(S(1), word(P54, 3), word(P54, 2), word(P54, 1), word(P54, 6), word(P54, 5), word(P54, 4)),
        {atLeast(
            layout(_, word(P54, 3), word(P54, 2), word(P54, 1), word(P54, 6), word(P54, 5), word(P54, 4)))}};
    c[PARAM_55] = {layout(S(1)),
                   layout(S(1), byte(P55, 1), byte(P55, 2), byte(P55, 3)),
                   {atLeast(layout(_, byte(P55, 1), byte(P55, 2), byte(P55, 3)))}};
    c[PARAM_56] = {layout(), layout(byte(P22Shared)), {atLeast(layout(byte(P22Shared)))}};
    c[PARAM_61] = {layout(S(1), S(5)),
                   layout(S(1), S(5), word(P61, 3), word(P61, 2), word(P61, 1)),
                   {atLeast(layout(_, mode, word(P61, 3), word(P61, 2), word(P61, 1)))}};
    c[PARAM_62] = {layout(S(1), S(5)),
                   layout(S(1), S(5), word(P62, 3), word(P62, 2), word(P62, 1)),
                   {atLeast(layout(_, mode, word(P62, 3), word(P62, 2), word(P62, 1)))}};
    c[PARAM_63] = {layout(S(1)),
                   layout(S(1), word(P63, 3), word(P63, 2), word(P63, 1)),
                   {atLeast(layout(_, word(P63, 3), word(P63, 2), word(P63, 1)))}};
    c[PARAM_64] = {layout(S(1)), layout(S(1), word(P64)), {exactly(layout(_, word(P64)))}};
    c[PARAM_65] = {layout(S(1)), layout(S(1), byte(P65)), {exactly(layout(ch, byte(P65)))}};
    c[PARAM_66] = {layout(S(1), S(5)), layout(S(1), S(5), word(P66)), {exactly(layout(_, mode, word(P66)))}};
    c[PARAM_67] = {layout(S(1)), layout(S(1), _, word(P67)), {exactly(layout(ch, _, word(P67)))}};
    c[PARAM_72] = {layout(S(1), S(5)), layout(S(1), S(5), word(P72)), {exactly(layout(_, mode, word(P72)))}};
    c[PARAM_73] = {layout(S(1)), kSetsNothing, {exactly(layout(ch, byte(P73)))}};
    c[PARAM_74] = {layout(S(1)), layout(S(1), S(2), word(P74)), {exactly(layout(ch, _, word(P74)))}};
    c[PARAM_75] = {layout(S(1)), layout(S(1), S(2), word(P75)), {exactly(layout(ch, _, word(P75)))}};
    c[PARAM_82] = {layout(S(1), S(5)), layout(S(1), S(5), word(P82)), {exactly(layout(_, mode, word(P82)))}};
    constexpr Form kEntry83 = exactly(
        layout(ch, sub, index, byte(P83A), byte(P83B), word(P83Word, 1), word(P83Word, 2), word(P83Word, 3)));
    c[PARAM_83] = {layout(S(1), S(2), S(4)),
                   layout(S(1), S(2), S(4), byte(P83SendingA), byte(P83SendingB), word(P83SendingWord, 1)),
                   {kEntry83},
                   true};
    c[PARAM_84] = {kSetsNothing, layout(S(1), S(2), S(4)), {kEntry83}, true};
    c[PARAM_91] = {layout(), layout(S(1), S(2)), {exactly(layout(byte(P91, 1), byte(P91, 2)))}};
    c[PARAM_92] = {kSetsNothing, layout(S(1), S(8), S(9))};
    c[PARAM_93] = {c[PARAM_73].read, c[PARAM_73].write, {exactly(layout(_, byte(P93)))}};
    c[PARAM_101] = {layout(), layout(S(6))};
    c[PARAM_102] = {
        layout(S(1), S(2)), layout(S(1), S(2), word(P102)), {exactly(layout(ch, sub, word(P102)))}};
    c[PARAM_103] = {layout(), layout(S(1), S(2), S(7), S(6))};
    c[PARAM_104] = {layout(), layout(word(P104)), {exactly(layout(word(P104)))}};
    return c;
}

constexpr std::array<Entry, 128> kCatalogue = makeCatalogue();

// Requests hold selectors, blanks and values only; responses no selectors; selectors are 0 to 9.
constexpr bool soundLayout(const Layout& layout, bool request) {
    for (const Item& item : layout.view()) {
        const bool requestKind = item.kind == Kind::Blank || item.kind == Kind::Byte ||
                                 item.kind == Kind::Word || item.kind == Kind::Selector;
        const bool responseKind = item.kind != Kind::Selector;
        if (request ? !requestKind : !responseKind) return false;
        if (item.kind == Kind::Selector && item.number >= 10) return false;
    }
    return true;
}

constexpr bool soundCatalogue() {
    for (const Entry& entry : kCatalogue) {
        for (const auto& request : {entry.read, entry.write})
            if (request && !soundLayout(*request, true)) return false;
        for (const Form& form : entry.forms)
            if (!soundLayout(form.layout, false)) return false;
    }
    return true;
}
static_assert(soundCatalogue());

const Form* formFor(const Entry& entry, std::size_t size) {
    for (const Form& form : entry.forms) {
        const std::size_t bytes = form.layout.bytes();
        if ((form.check == Check::Exactly && size == bytes) ||
            (form.check == Check::AtLeast && size >= bytes))
            return &form;
    }
    return nullptr;
}

const Entry* entryOf(std::uint8_t command) {
    return command < kCatalogue.size() ? &kCatalogue[command] : nullptr;
}

std::uint32_t wordAt(std::span<const std::uint8_t> data, std::size_t at) {
    return data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

void appendWord(std::vector<std::uint8_t>& data, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) data.push_back(static_cast<std::uint8_t>(value >> shift));
}

void copyEntryForSending(ParameterStore& store, const Address& a) {
    const Param83Entry* received = element(store.Param83Group.received, a.channel, a.index);
    Param83Entry* sending = element(store.Param83Group.sending, a.channel, a.index);
    if (received != nullptr && sending != nullptr) *sending = *received;
}

}  // namespace

void buildChannelRequest(CommandRecord& record, const ParameterStore& store) {
    const Entry* entry = entryOf(record.Command);
    if (entry == nullptr) return;
    const std::optional<Layout>& layout = record.ReadWrite == kWrite ? entry->write : entry->read;
    if (!layout) return;
    const Address address = requestAddress(store);
    std::vector<std::uint8_t> data;
    for (const Item& item : layout->view()) {
        switch (item.kind) {
            case Kind::Selector:
                data.push_back(store.RequestSelectors[item.number]);
                break;
            case Kind::Byte:
                data.push_back(static_cast<std::uint8_t>(locate(store, item, address).value()));
                break;
            case Kind::Word:
                appendWord(data, locate(store, item, address).value());
                break;
            default:
                data.push_back(0);
        }
    }
    record.Length = static_cast<std::uint8_t>(data.size());
    record.Data = std::move(data);
}

bool handleChannelResponse(const CommandRecord& response, ResponseTarget& target) {
    const Entry* entry = entryOf(response.Command);
    if (entry == nullptr) return false;
    const std::span<const std::uint8_t> data = payload(response);
    const Form* form = formFor(*entry, data.size());
    if (form == nullptr) return false;

    // Every value is checked before any is stored: a response is taken whole or not at all.
    ParameterStore& store = target.store;
    Address address;
    std::vector<std::pair<Ref<ParameterStore>, std::uint32_t>> values;
    std::size_t at = 0;
    for (const Item& item : form->layout.view()) {
        switch (item.kind) {
            case Kind::Channel:
                address.channel = data[at];
                break;
            case Kind::SubIndex:
                address.sub = data[at];
                break;
            case Kind::Index:
                address.index = data[at];
                break;
            case Kind::Mode:
                address.mode = data[at];
                break;
            case Kind::Key:
                address.key = data[at];
                break;
            case Kind::Byte:
            case Kind::Word: {
                const std::uint32_t value = item.kind == Kind::Word ? wordAt(data, at) : data[at];
                const Ref<ParameterStore> ref = locate(store, item, address);
                if (!ref.holds(value)) return false;
                values.emplace_back(ref, value);
                break;
            }
            default:
                break;
        }
        at += widthOf(item);
    }
    for (const auto& [ref, value] : values) ref.set(value, target);
    if (entry->copiesEntryForSending) copyEntryForSending(store, address);
    return true;
}

bool handleEventsOnly(const CommandRecord&, ResponseTarget&) {
    return true;
}

}  // namespace rq
