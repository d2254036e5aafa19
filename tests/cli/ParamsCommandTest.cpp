#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CliProcess.h"
#include "cli/ParamsCommand.h"
#include "core/params/ChannelCatalogue.h"
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

// Values that tell every position apart: channel, sub-index and index are the digits. What `put` sets
// was filled as an answer fills it; the rest of the store holds values no answer gave.
struct NumberedStore {
    ParameterStore store;
    FilledValues filled;
    std::vector<UnstoredAnswer> unstored = {{PARAM_22, {0}}, {PARAM_12, {}}};

    template <StoredValue T>
    void put(T& field, std::type_identity_t<T> value) {
        field = value;
        filled.add(field);
    }

    NumberedStore() {
        ParameterStore& s = store;
        put(s.ModelName, std::string("R\0A\"\\-\xE9"
                                     "1",
                                     8));
        s.SerialNumber = "54321 ";
        put(s.FirmwareVersion[0], 12);
        put(s.FirmwareVersion[1], 3);
        for (std::uint8_t i = 0; i < 3; ++i) put(s.Param21Group[0].b[i], i + 1);
        s.Param21Group[1].b = {9, 9, 9};
        put(s.Param22Group.shared, 1);
        put(s.Param22Group.bytes[0], 2);
        s.Param22Group.bytes[1] = 3;
        put(s.Param22Group.bytes[2], 4);
        for (std::uint8_t ch = 0; ch < 3; ++ch) put(s.Param22Group.words[ch], 5u + ch);
        for (int ch = 1; ch <= 3; ++ch) {
            for (int sub = 1; sub <= 2; ++sub) {
                for (int index = 1; index <= 3; ++index)
                    put(s.Param33Group[ch - 1][sub - 1][index - 1],
                        static_cast<std::uint32_t>(100 * ch + 10 * sub + index));
            }
        }
        for (std::uint8_t i = 0; i < 3; ++i) put(s.Param61Group.words[i], i + 1u);
        s.Param61Group.bytes = {4, 5, 6};
        put(s.Param66Group.word, 0xFFFFFFFF);
        put(s.Param66Group.byte, 255);
        put(s.Param67Group[0].first, 1);
        s.Param67Group[0].second = 2;
        for (std::uint8_t sub = 0; sub < 2; ++sub) {
            Param83Half& half = s.Param83Group.received[0][0][sub];
            put(half.A, 1 + 5 * sub);
            put(half.B, 2 + 5 * sub);
            for (std::uint8_t i = 0; i < 3; ++i) put(half.words[i], 3u + 5 * sub + i);
        }
        s.Param83Group.sending[0][0][0] = {99, 99, {99, 99, 99}};
    }
};

TEST(ParamsListingTest, JsonKeysAreTheStoresFieldNamesAndWhatNoAnswerFilledIsNull) {
    const NumberedStore numbered;
    const std::string json = cli::listingJson(listStore(numbered.store, numbered.filled), numbered.unstored);
    const char* expected[] = {
        R"("ModelName": "R\u0000A\"\\-)"
        "\xC3\xA9"
        R"(1")",
        R"("SerialNumber": null)",
        R"("FirmwareVersion": [12,3])",
        R"("Param12Group": [null,null,null,null,null,null,null,null])",
        R"("Param21Group": [{"key":0,"b1":1,"b2":2,"b3":3},null,null,)",
        R"("Param22Group": {"shared":1,"bytes":[2,null,4],"words":[5,6,7]})",
        R"("Param33Group": [[[111,112,113],[121,122,123]],[[211,212,213],[221,222,223]],[[311,312,313],[321,322,323]]])",
        R"("Param61Group": {"words":[1,2,3],"bytes":[null,null,null]})",
        R"("Param66Group": {"word":4294967295,"byte":255})",
        R"("Param67Group": [{"first":1,"second":null},{"first":null,"second":null},)",
        R"("Param83Group": [[[{"A":1,"B":2,"words":[3,4,5]},{"A":6,"B":7,"words":[8,9,10]}],[{"A":null,)",
        R"("Param104Group": null,)"
        "\n"
        R"(  "unstored": [{"command":22,"request":[0]},{"command":12,"request":[]}])",
    };
    for (const char* part : expected) EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
    EXPECT_EQ(parsedObject(json).size(), 42) << "a member per group, and the unstored";
}

TEST(ParamsListingTest, TheTableHasALinePerSelectorCombinationInDecimalAndHexadecimal) {
    const NumberedStore numbered;
    const std::string table =
        cli::listingTable(listStore(numbered.store, numbered.filled), numbered.unstored);
    const char* expected[] = {
        R"(ModelName                                       "R\x00A\x22\x5C-\xE91")",
        "SerialNumber                                    -",
        "FirmwareVersion                                 [12 (0x0C), 3 (0x03)]",
        "Param21Group    slot 1                          -",
        "Param22Group                                    shared 1 (0x01)  bytes [2 (0x02), -, 4 (0x04)]  "
        "words "
        "[5 (0x00000005), 6 (0x00000006), 7 (0x00000007)]",
        "Param33Group    channel 2 sub-index 1 index 3   213 (0x000000D5)",
        "Param67Group    channel 1                       first 1 (0x00000001)  second -",
        "Param83Group    channel 1 index 1 sub-index 2   A 6 (0x06)  B 7 (0x07)  words [8 (0x00000008), "
        "9 (0x00000009), 10 (0x0000000A)]",
        "unstored        command 22                      request [0 (0x00)]\n"
        "unstored        command 12                      request []",
    };
    for (const char* line : expected)
        EXPECT_NE(table.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << table;
    // Groups held once, per channel, per channel and sub-index, per channel, sub-index and index, slots,
    // and the unstored requests.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 24 + 12 * 3 + 2 * 6 + 2 * 18 + 13 + 2);
}

// An answer the store cannot take is listed, in the order sent (104 goes out among the groups held once,
// before the channels' reads), and its values are null.
TEST(ParamsRunTest, TheSimulatedDevicesWholeSetAsJson) {
    const auto result = runCli(
        "params --simulate --sim-line instant --json --sim-fault channel-zero=32 --sim-fault "
        "short-answer=104");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const QJsonObject report = parsedObject(result.out);
    const sim::WorkingSet set = sim::deliveredWorkingSet();
    EXPECT_EQ(report["ModelName"].toString(), "RQA-4021");
    EXPECT_EQ(report["Param33Group"][2][1][2].toInteger(), set.channels[2].word33[1][2]);
    EXPECT_EQ(report["Param83Group"][1][2][0]["words"][2].toInteger(),
              set.channels[1].entry83[2][0].words[2]);
    EXPECT_TRUE(report["Param12Group"][4].isNull()) << "no read can fill it";
    EXPECT_EQ(QJsonDocument(report["unstored"].toArray()).toJson(QJsonDocument::Compact).toStdString(),
              R"([{"command":104,"request":[]},{"command":32,"request":[1,1]}])");
    EXPECT_TRUE(report["Param32Group"][0].isNull());
    EXPECT_EQ(report["Param32Group"][1].toInteger(), set.channels[1].word32);
    EXPECT_TRUE(report["Param104Group"].isNull());
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
    EXPECT_EQ(failed.err.rfind("rqfwup-cli: error 12 reading the parameters: the device answered on COM1", 0),
              0u)
        << failed.err;
    EXPECT_NE(failed.err.find("\n通信エラー\n通信で過剰なリトライが発生しました。"), std::string::npos);
}

}  // namespace
}  // namespace rq
