#pragma once

#include <gtest/gtest.h>

#include "core/params/ParameterStore.h"
#include "sim/WorkingSet.h"

namespace rq::test {

// The report's store as it should be when it holds the device's set: every group as the device keeps it,
// except 12's last four bytes, the slots of 21 after the first and the word of 67 that the channel's 65
// byte does not pick, which no read fills. The identity and the access mode stay as the report has them.
inline ParameterStore reportOf(const sim::WorkingSet& d, const ParameterStore& report) {
    ParameterStore s = report;
    s.Param11Group = d.bytes11;
    s.Param12Group = {d.bytes12[0], d.bytes12[1], d.bytes12[2], d.bytes12[3]};
    s.Param21Group = {Param21Slot{d.slots21[0].key, d.slots21[0].bytes}};
    s.Param22Group.shared = d.shared22;
    s.Param23Group = {d.p23, d.q23};
    s.Param31Group = d.byte31;
    s.Param52Group = d.bytes52;
    s.Param54Group = d.words54;
    s.Param55Group = d.bytes55;
    s.Param61Group = {d.group61.words, d.group61.bytes};
    s.Param62Group = {d.group62.words, d.group62.bytes};
    s.Param63Group = d.words63;
    s.Param64Group = d.word64;
    s.Param66Group = {d.group66.word, d.group66.byte};
    s.Param72Group = {d.group72.word, d.group72.byte};
    s.Param82Group = {d.group82.word, d.group82.byte};
    s.Param91Group = d.bytes91;
    s.Param93Group = d.byte93;
    s.Param104Group = d.word104;
    for (std::size_t c = 0; c < kChannels; ++c) {
        const sim::ChannelSet& channel = d.channels[c];
        s.Param22Group.bytes[c] = channel.byte22;
        s.Param22Group.words[c] = channel.word22;
        s.Param25Group[c] = channel.byte25;
        s.Param32Group[c] = channel.word32;
        s.Param33Group[c] = channel.word33;
        s.Param34Group[c] = channel.word34;
        s.Param35Group[c] = channel.byte35;
        s.Param41Group[c] = channel.byte41;
        s.Param42Group[c] = channel.word42;
        s.Param51Group[c] = channel.byte51;
        s.Param53Group[c] = channel.byte53;
        s.Param65Group[c] = channel.byte65;
        s.Param67Group[c] = {channel.byte65 == 1 ? channel.first67 : 0,
                             channel.byte65 == 0 ? channel.second67 : 0};
        s.Param73Group[c] = channel.byte73;
        s.Param74Group[c] = channel.word74;
        s.Param75Group[c] = channel.word75;
        s.Param102Group[c] = channel.word102;
        for (std::size_t index = 0; index < kIndices; ++index) {
            for (std::size_t sub = 0; sub < kSubIndices; ++sub) {
                const sim::Entry83Half& half = channel.entry83[index][sub];
                s.Param83Group.received[c][index][sub] = {half.a, half.b, half.words};
            }
        }
    }
    s.Param83Group.sending = s.Param83Group.received;
    return s;
}

// A report read into an empty store against the device's own set.
inline void expectReportHolds(const ParameterStore& report, const sim::WorkingSet& device) {
    EXPECT_EQ(report, reportOf(device, report));
}

}  // namespace rq::test
