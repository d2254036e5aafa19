#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/params/ParameterStore.h"
#include "sim/WorkingSet.h"

namespace rq::test {

using Numbers = std::vector<std::uint32_t>;

inline void append(Numbers& out, std::uint32_t number) {
    out.push_back(number);
}
inline void append(Numbers& out, const Param83Half& half) {
    out.insert(out.end(), {half.A, half.B, half.words[0], half.words[1], half.words[2]});
}
inline void append(Numbers& out, const sim::Entry83Half& half) {
    out.insert(out.end(), {half.a, half.b, half.words[0], half.words[1], half.words[2]});
}
inline void append(Numbers& out, const Numbers& numbers) {
    out.insert(out.end(), numbers.begin(), numbers.end());
}
template <typename T, std::size_t N>
void append(Numbers& out, const std::array<T, N>& values) {
    for (const T& value : values) append(out, value);
}

// Every number of the values, nested arrays in order.
template <typename... Values>
Numbers flat(const Values&... values) {
    Numbers out;
    (append(out, values), ...);
    return out;
}

// One member of each of the device's channels, in channel order.
template <typename Member>
Numbers channels(const sim::WorkingSet& set, Member sim::ChannelSet::*member) {
    Numbers out;
    for (const sim::ChannelSet& channel : set.channels) append(out, channel.*member);
    return out;
}

// The word of 67 that a report can read: the one the channel's 65 byte picks; the other stays 0.
inline Numbers readableWords67(const sim::WorkingSet& set) {
    Numbers out;
    for (const sim::ChannelSet& channel : set.channels) {
        out.push_back(channel.byte65 == 1 ? channel.first67 : 0);
        out.push_back(channel.byte65 == 0 ? channel.second67 : 0);
    }
    return out;
}

// A report read into an empty store against the device's own set, group by group.
inline void expectReportHolds(const ParameterStore& s, const sim::WorkingSet& d) {
    using C = sim::ChannelSet;
    struct Match {
        const char* group;
        Numbers report;
        Numbers device;
    };
    const auto& slot = s.Param21Group[0];
    const auto& b12 = d.bytes12;
    const Match matches[] = {
        {"Param11Group", flat(s.Param11Group), flat(d.bytes11)},
        {"Param12Group", flat(s.Param12Group), flat(b12[0], b12[1], b12[2], b12[3], 0u, 0u, 0u, 0u)},
        {"Param21Group", flat(slot.key, slot.b), flat(d.slots21[0].key, d.slots21[0].bytes)},
        {"Param22Group", flat(s.Param22Group.shared, s.Param22Group.bytes, s.Param22Group.words),
         flat(d.shared22, channels(d, &C::byte22), channels(d, &C::word22))},
        {"Param23Group", flat(s.Param23Group.P, s.Param23Group.Q), flat(d.p23, d.q23)},
        {"Param25Group", flat(s.Param25Group), channels(d, &C::byte25)},
        {"Param31Group", flat(s.Param31Group), flat(d.byte31)},
        {"Param32Group", flat(s.Param32Group), channels(d, &C::word32)},
        {"Param33Group", flat(s.Param33Group), channels(d, &C::word33)},
        {"Param34Group", flat(s.Param34Group), channels(d, &C::word34)},
        {"Param35Group", flat(s.Param35Group), channels(d, &C::byte35)},
        {"Param41Group", flat(s.Param41Group), channels(d, &C::byte41)},
        {"Param42Group", flat(s.Param42Group), channels(d, &C::word42)},
        {"Param51Group", flat(s.Param51Group), channels(d, &C::byte51)},
        {"Param52Group", flat(s.Param52Group), flat(d.bytes52)},
        {"Param53Group", flat(s.Param53Group), channels(d, &C::byte53)},
        {"Param54Group", flat(s.Param54Group), flat(d.words54)},
        {"Param55Group", flat(s.Param55Group), flat(d.bytes55)},
        {"Param61Group", flat(s.Param61Group.words, s.Param61Group.bytes),
         flat(d.group61.words, d.group61.bytes)},
        {"Param62Group", flat(s.Param62Group.words, s.Param62Group.bytes),
         flat(d.group62.words, d.group62.bytes)},
        {"Param63Group", flat(s.Param63Group), flat(d.words63)},
        {"Param64Group", flat(s.Param64Group), flat(d.word64)},
        {"Param65Group", flat(s.Param65Group), channels(d, &C::byte65)},
        {"Param66Group", flat(s.Param66Group.word, s.Param66Group.byte),
         flat(d.group66.word, d.group66.byte)},
        {"Param67Group",
         flat(s.Param67Group[0].first, s.Param67Group[0].second, s.Param67Group[1].first,
              s.Param67Group[1].second, s.Param67Group[2].first, s.Param67Group[2].second),
         readableWords67(d)},
        {"Param72Group", flat(s.Param72Group.word, s.Param72Group.byte),
         flat(d.group72.word, d.group72.byte)},
        {"Param73Group", flat(s.Param73Group), channels(d, &C::byte73)},
        {"Param74Group", flat(s.Param74Group), channels(d, &C::word74)},
        {"Param75Group", flat(s.Param75Group), channels(d, &C::word75)},
        {"Param82Group", flat(s.Param82Group.word, s.Param82Group.byte),
         flat(d.group82.word, d.group82.byte)},
        {"Param83Group", flat(s.Param83Group.received), channels(d, &C::entry83)},
        {"Param83Group for sending", flat(s.Param83Group.sending), channels(d, &C::entry83)},
        {"Param91Group", flat(s.Param91Group), flat(d.bytes91)},
        {"Param93Group", flat(s.Param93Group), flat(d.byte93)},
        {"Param102Group", flat(s.Param102Group), channels(d, &C::word102)},
        {"Param104Group", flat(s.Param104Group), flat(d.word104)},
    };
    for (const Match& match : matches) EXPECT_EQ(match.report, match.device) << match.group;
}

}  // namespace rq::test
