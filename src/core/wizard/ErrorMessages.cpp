#include "core/wizard/ErrorMessages.h"

#include <string_view>

#include "core/text/Text.h"

namespace rq {
namespace {

constexpr std::string_view kCheck = "　機器間の接続、通信設定を確認してください。";
constexpr std::string_view kRepeated = "　接続や設定が正しいにも関わらず何度もこのエラーが発生知る場合は";

// The three endings that several messages share, each after an empty line.
std::string endingA(std::string_view first) {
    return joinLines({first, "", kCheck, kRepeated,
                      "　一度USBケーブルを抜いてしばらく待った後に再挿入してください。",
                      "　改善されない場合は弊社サポートまでご連絡ください。"});
}

std::string endingB(std::string_view first) {
    return joinLines({first, "", kCheck, kRepeated, "　弊社サポートまでご連絡ください。"});
}

std::string endingC(std::string_view first) {
    return joinLines({first, "", "　更新用ファイルを選択しなおしてください。"});
}

constexpr std::string_view kComm = "通信エラー";
constexpr std::string_view kFile = "更新用ファイル・エラー";
constexpr std::string_view kUpdate = "更新処理エラー";

ErrorMessage make(std::string_view title, std::string text) {
    return {std::string(title), std::move(text)};
}

}  // namespace

std::optional<ErrorMessage> errorMessage(std::uint8_t code) {
    switch (code) {
        case 11:
            return make(kComm, endingB("通信が開始できません。"));
        case 12:
            return make(kComm, endingA("通信で過剰なリトライが発生しました。"));
        case 13:
            return make(kComm, endingA("通信でタイムアウトが発生しました。"));
        case 15:
            return make("通信設定エラー", endingA("通信設定が正しくありません。"));
        case 21:
            return make(kFile, endingC("更新用ファイルの名前が正しくありません。"));
        case 22:
            return make(kFile,
                        endingC("更新ファイルが正しくありません。") + std::string(kNewLine) +
                            joinLines({"　正しいファイルを選択しているにかかわらずエラーが発生する場合",
                                       "　更新用ファイルが壊れている可能性があります。",
                                       "　その場合は更新用ファイルを入手しなおしてください。"}));
        case 23:
            return make(kFile, endingC("更新用ファイルが開けません。"));
        case 30:
            return make(kUpdate, endingA("通信が開始できません。"));
        case 31:
            return make(kUpdate, endingA("更新の接続が確立できません。"));
        case 32:
            return make(kUpdate, endingA("更新処理で過剰なリトライが発生しました。"));
        case 33:
            return make(kUpdate, endingA("更新処理でタイムアウトが発生しました。"));
        case 34:
            return make(kUpdate, endingB("更新処理の設定で異常が発生しました。"));
        case 35:
            return make(kUpdate, endingB("ファームウェアの消去で異常が発生しました。"));
        case 36:
            return make(kUpdate, endingB("ファームウェアの書き込みで異常が発生しました。"));
        case 37:
            return make(kUpdate, endingB("ファームウェアのベリファイで異常が発生しました。"));
        case 99:
            return make("不明なエラー",
                        joinLines({"原因不明のエラーが発生しました。",
                                   "　このアプリケーションをいったん終了し以下のことを確認してください。",
                                   "　　・パソコンとRQシステムが正しく接続されていますか？",
                                   "　　・RQシステムは通常モードで起動していますか？",
                                   "　　・通信設定は正しく設定されていますか？",
                                   "　確認が済みましたら、再度アプリケーションを起動してください。"}));
        default:
            return std::nullopt;
    }
}

}  // namespace rq
