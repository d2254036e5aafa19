#include <gtest/gtest.h>

#include "sim/Faults.h"

namespace rq::sim {
namespace {

TEST(FaultsTest, ValuesAreCheckedAsTheyAreAdded) {
    const std::pair<const char*, bool> cases[] = {
        {"latency=16", true},      {"latency=0", true},      {"latency=255", true},
        {"latency=256", false},    {"latency=-1", false},    {"latency=1.5", false},
        {"latency", false},        {"latency=", false},      {"reset-nack=3", true},
        {"reset-nack=x", false},   {"ofs-status=1A", true},  {"ofs-status=100", false},
        {"verify-st2=5:0F", true}, {"verify-st2=5", false},  {"bad-sum=ofs", true},
        {"bad-sum=", false},       {"reset-silent", true},   {"reset-silent=1", false},
        {"noise=1e-9", true},      {"noise=2", false},       {"noise=x", false},
        {"noise=-0.1", false},     {"no-such-fault", false},
    };
    for (const auto& [entry, taken] : cases) {
        SCOPED_TRACE(entry);
        Faults faults;
        EXPECT_EQ(!faults.add(entry).has_value(), taken);
        EXPECT_EQ(faults.has(std::string(entry).substr(0, std::string(entry).find('='))), taken);
    }
    EXPECT_NE(faultHelp().find("latency=MS"), std::string::npos);
}

}  // namespace
}  // namespace rq::sim
