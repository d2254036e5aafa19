#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CliProcess.h"
#include "cli/ParamsCommand.h"
#include "sim/WorkingSet.h"

namespace rq {
namespace {

using test::runCli;

QJsonObject parsedObject(const std::string& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
    return document.object();
}

// Values that tell every position apart: channel, sub-index and index are the digits.
ParameterStore numberedStore() {
    ParameterStore s;
    s.ModelName = std::string(
        "R\0A\"\\-\xE9"
        "1",
        8);
    s.FirmwareVersion = {12, 3};
    s.Param21Group[0] = {0, {1, 2, 3}};
    s.Param22Group = {1, {2, 3, 4}, {5, 6, 7}};
    s.Param25Group = {37, 38, 39};
    for (int ch = 1; ch <= 3; ++ch) {
        for (int sub = 1; sub <= 2; ++sub) {
            s.Param34Group[ch - 1][sub - 1] = static_cast<std::uint32_t>(10 * ch + sub);
            for (int index = 1; index <= 3; ++index)
                s.Param33Group[ch - 1][sub - 1][index - 1] =
                    static_cast<std::uint32_t>(100 * ch + 10 * sub + index);
        }
    }
    s.Param61Group = {{1, 2, 3}, {4, 5, 6}};
    s.Param66Group = {0xFFFFFFFF, 255};
    s.Param67Group[0] = {1, 2};
    s.Param83Group.received[0][0] = {{{1, 2, {3, 4, 5}}, {6, 7, {8, 9, 10}}}};
    s.Param83Group.sending[0][0][0] = {99, 99, {99, 99, 99}};
    return s;
}

TEST(ParamsListingTest, JsonKeysAreTheStoresFieldNames) {
    const std::string json = cli::listingJson(listStore(numberedStore()));
    const char* expected[] = {
        R"("ModelName": "R\u0000A\"\\-)"
        "\xC3\xA9"
        R"(1")",
        R"("FirmwareVersion": [12,3])",
        R"("Param21Group": [{"key":0,"b1":1,"b2":2,"b3":3},{"key":0,"b1":0,"b2":0,"b3":0},)",
        R"("Param22Group": {"shared":1,"bytes":[2,3,4],"words":[5,6,7]})",
        R"("Param25Group": [37,38,39])",
        R"("Param33Group": [[[111,112,113],[121,122,123]],[[211,212,213],[221,222,223]],[[311,312,313],[321,322,323]]])",
        R"("Param34Group": [[11,12],[21,22],[31,32]])",
        R"("Param61Group": {"words":[1,2,3],"bytes":[4,5,6]})",
        R"("Param66Group": {"word":4294967295,"byte":255})",
        R"("Param67Group": [{"first":1,"second":2},{"first":0,"second":0},)",
        R"("Param83Group": [[[{"A":1,"B":2,"words":[3,4,5]},{"A":6,"B":7,"words":[8,9,10]}],[{"A":0,)",
    };
    for (const char* part : expected) EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;

    const QJsonObject object = parsedObject(json);
    EXPECT_EQ(object.size(), 41);
    for (const char* key : {"ModelName", "SerialNumber", "Param03Value", "Param04Value", "FirmwareVersion",
                            "Param06Value", "Param11Group", "Param12Group", "Param104Group"}) {
        EXPECT_TRUE(object.contains(key)) << key;
    }
}

TEST(ParamsListingTest, TheTableHasALinePerSelectorCombinationInDecimalAndHexadecimal) {
    const std::string table = cli::listingTable(listStore(numberedStore()));
    const char* expected[] = {
        R"(ModelName                                       "R\x00A\x22\x5C-\xE91")",
        "FirmwareVersion                                 [12 (0x0C), 3 (0x03)]",
        "Param25Group    channel 2                       38 (0x26)",
        "Param33Group    channel 2 sub-index 1 index 3   213 (0x000000D5)",
        "Param83Group    channel 1 index 1 sub-index 2   A 6 (0x06)  B 7 (0x07)  words [8 (0x00000008), "
        "9 (0x00000009), 10 (0x0000000A)]",
    };
    for (const char* line : expected)
        EXPECT_NE(table.find(std::string(line) + "\n"), std::string::npos) << line;
    // Groups held once, per channel, per channel and sub-index, per channel, sub-index and index, and slots.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 24 + 12 * 3 + 2 * 6 + 2 * 18 + 13);
}

TEST(ParamsRunTest, TheSimulatedDevicesWholeSetAsJson) {
    const auto result = runCli("params --simulate --sim-line instant --json");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const QJsonObject report = parsedObject(result.out);
    const sim::WorkingSet set = sim::deliveredWorkingSet();
    EXPECT_EQ(report["ModelName"].toString(), "RQA-4021");
    EXPECT_EQ(report["Param33Group"][2][1][2].toInteger(), set.channels[2].word33[1][2]);
    EXPECT_EQ(report["Param83Group"][1][2][0]["words"][2].toInteger(),
              set.channels[1].entry83[2][0].words[2]);
    EXPECT_EQ(report["Param67Group"][1]["second"].toInteger(), set.channels[1].second67);
    EXPECT_EQ(report["Param62Group"]["bytes"][0].toInteger(), set.group62.bytes[0]);
}

TEST(ParamsRunTest, ATableTraceAndFailures) {
    const auto table = runCli("params --simulate --sim-line instant --trace");
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out.rfind("ModelName ", 0), 0u) << table.out;
    EXPECT_NE(table.out.find("\nParam104Group "), std::string::npos);
    EXPECT_NE(table.err.find("PC->RQX::CMD[083]:FF FF FF FF FF 53 00 00 03 03 02 03 "), std::string::npos);

    // A failed run prints no half report.
    const auto failed = runCli("params --simulate --sim-line instant --json --sim-fault silent-after=40");
    EXPECT_EQ(failed.status, 12);
    EXPECT_EQ(failed.out, "");
    EXPECT_NE(failed.err.find("(error 12)\n通信エラー\n通信で過剰なリトライが発生しました。"),
              std::string::npos)
        << failed.err;
}

}  // namespace
}  // namespace rq
