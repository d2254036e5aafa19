#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <regex>

#include "CliProcess.h"
#include "cli/ParamsCommand.h"
#include "sim/WorkingSet.h"

namespace rq {
namespace {

using test::runCli;
using ::testing::StartsWith;

// A text field no answer filled, which a run that prints cannot leave, is null as well. The table escapes
// a quote and a backslash as it escapes the bytes that do not print.
TEST(ParamsListingTest, ATextFieldIsEscapedInTheTableAndNullWhenNoAnswerFilledIt) {
    ParameterStore store;
    FilledValues filled;
    store.ModelName = "A\"\\";
    filled.add(store.ModelName);
    const std::vector<ListedGroup> groups = listStore(store, filled);
    EXPECT_NE(cli::listingJson(groups, {}).find(R"("SerialNumber": null,)"), std::string::npos);
    const std::string table = cli::listingTable(groups, {});
    EXPECT_TRUE(table.starts_with("ModelName" + std::string(39, ' ') + R"("A\x22\x5C")" + "\n")) << table;
    EXPECT_NE(table.find("\nSerialNumber" + std::string(36, ' ') + "-\n"), std::string::npos);
}

// A member per group, keyed by the store's field names, with the device's bytes as U+00nn. An answer the
// store cannot take is listed, in the order sent (104 goes out among the groups held once, before the
// channels' reads), and its values are null.
TEST(ParamsRunTest, TheSimulatedDevicesWholeSetAsJson) {
    const auto result = runCli(
        "params --simulate --sim-line instant --json --sim-fault identity-bytes --sim-fault channel-zero=32 "
        "--sim-fault short-answer=104");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_THAT(result.out,
                StartsWith("{\n  \"ModelName\": \"\\u0000RQ\x7F\xC2\x80\xC2\xA5\xC3\xBE\xC3\xBF\",\n"));
    QJsonParseError error;
    const QJsonObject report =
        QJsonDocument::fromJson(QByteArray::fromStdString(result.out), &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(report.size(), 42) << "a member per group, and the unstored";
    const sim::WorkingSet set = sim::deliveredWorkingSet();
    EXPECT_EQ(report["Param33Group"][2][1][2].toInteger(), set.channels[2].word33[1][2]);
    EXPECT_EQ(report["Param83Group"][1][2][0]["words"][2].toInteger(),
              set.channels[1].entry83[2][0].words[2]);
    EXPECT_TRUE(report["Param12Group"][4].isNull()) << "no read can fill it";
    EXPECT_TRUE(report["Param21Group"][1].isNull()) << "a slot no answer filled";
    EXPECT_TRUE(report["Param67Group"][1]["first"].isNull());
    EXPECT_EQ(QJsonDocument(report["unstored"].toArray()).toJson(QJsonDocument::Compact).toStdString(),
              R"([{"command":104,"request":[]},{"command":32,"request":[1,1]}])");
    EXPECT_TRUE(report["Param32Group"][0].isNull());
    EXPECT_EQ(report["Param32Group"][1].toInteger(), set.channels[1].word32);
    EXPECT_TRUE(report["Param104Group"].isNull());
}

TEST(ParamsRunTest, ATableTraceAndFailures) {
    const auto table = runCli("params --simulate --sim-line instant --trace --sim-fault identity-bytes");
    EXPECT_EQ(table.status, 0);
    EXPECT_THAT(table.out,
                StartsWith("ModelName" + std::string(39, ' ') + R"("\x00RQ\x7F\x80\xA5\xFE\xFF")" + "\n"));
    // A line per selector combination, in decimal and hexadecimal of the value's width: groups held once,
    // per channel, per channel and sub-index, per channel, sub-index and index, and slots.
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 24 + 12 * 3 + 2 * 6 + 2 * 18 + 13);
    for (const char* line : {R"(Param12Group {36}\[([0-9]+ \(0x[0-9A-F]{2}\), ){4}-, -, -, -\])",
                             R"(Param21Group    slot 1 {26}-)",
                             R"(Param33Group    channel 3 sub-index 2 index 3   [0-9]+ \(0x[0-9A-F]{8}\))",
                             R"(Param67Group    channel 2 {23}first -  second [0-9]+ \(0x[0-9A-F]{8}\))"})
        EXPECT_TRUE(std::regex_search(table.out, std::regex(std::string("\n") + line + "\n"))) << line;
    EXPECT_NE(table.err.find("PC->RQX::CMD[083]:FF FF FF FF FF 53 00 00 03 03 02 03 "), std::string::npos);

    // A failed run prints no half report.
    const auto failed = runCli("params --simulate --sim-line instant --json --sim-fault silent-after=40");
    EXPECT_EQ(failed.status, 12);
    EXPECT_EQ(failed.out, "");
    EXPECT_THAT(failed.err,
                StartsWith("rqfwup-cli: error 12 reading the parameters: the device answered on COM1"));
    EXPECT_NE(failed.err.find("\n通信エラー\n通信で過剰なリトライが発生しました。"), std::string::npos);
}

}  // namespace
}  // namespace rq
