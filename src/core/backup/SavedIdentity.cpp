#include "core/backup/SavedIdentity.h"

#include <charconv>
#include <cstdio>

#include "core/log/Json.h"
#include "core/log/JsonReader.h"

namespace rq {
namespace {

constexpr std::string_view kFormat = "rqfwup identity backup";
constexpr std::uint32_t kFormatVersion = 1;
constexpr std::size_t kModelBytes = 8;
constexpr std::size_t kSerialBytes = 6;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2200;

std::string byteList(std::string_view bytes) {
    std::string list = "[";
    for (const char c : bytes) {
        if (list.size() > 1) list += ',';
        list += std::to_string(static_cast<unsigned char>(c));
    }
    return list + "]";
}

std::string optionalText(const std::optional<std::string>& text) {
    return text ? jsonString(*text) : "null";
}

// Reads the fields of a backup, each refusal naming the field.
class FieldReader {
  public:
    explicit FieldReader(const JsonValue& object) : object_(object) {}

    const std::string& refusal() const { return refusal_; }

    std::string text(std::string_view key) {
        const JsonValue* value = object_.member(key);
        if (value == nullptr || value->kind != JsonValue::Kind::String) return refuse(key, "is not a text");
        return value->text;
    }

    std::uint8_t byte(std::string_view key) {
        const JsonValue* value = object_.member(key);
        const auto number = value != nullptr ? value->whole(0xFF) : std::nullopt;
        if (!number) refuse(key, "is not a byte");
        return static_cast<std::uint8_t>(number.value_or(0));
    }

    // A list of exactly `count` bytes, as a string of one character each.
    std::string bytes(std::string_view key, std::size_t count) {
        const JsonValue* value = object_.member(key);
        if (value == nullptr || value->kind != JsonValue::Kind::Array || value->items.size() != count)
            return refuse(key, "is not a list of " + std::to_string(count) + " bytes");
        std::string bytes;
        for (const JsonValue& item : value->items) {
            const auto number = item.whole(0xFF);
            if (!number) return refuse(key, "is not a list of " + std::to_string(count) + " bytes");
            bytes += static_cast<char>(*number);
        }
        return bytes;
    }

    // A character field: its bytes, and its text, which must show those bytes.
    std::string characters(std::string_view key, std::size_t count) {
        const std::string byteKey = std::string(key) + "Bytes";
        const std::string read = bytes(byteKey, count);
        if (refusal_.empty() && text(key) != utf8OfBytes(read)) refuse(key, "does not match " + byteKey);
        return read;
    }

    std::string time(std::string_view key) {
        std::string read = text(key);
        if (refusal_.empty() && !parseUtcTime(read)) refuse(key, "is not a time");
        return read;
    }

    // A time, or null.
    std::optional<std::string> optionalTime(std::string_view key) {
        const JsonValue* value = object_.member(key);
        if (value != nullptr && value->kind == JsonValue::Kind::Null) return std::nullopt;
        return time(key);
    }

  private:
    std::string refuse(std::string_view key, const std::string& why) {
        if (refusal_.empty()) refusal_ = "damaged: \"" + std::string(key) + "\" " + why;
        return {};
    }

    const JsonValue& object_;
    std::string refusal_;
};

std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    if (at + count > text.size()) return std::nullopt;
    const char* begin = text.data() + at;
    const auto [end, error] = std::from_chars(begin, begin + count, value);
    if (error != std::errc() || end != begin + count || begin[0] == '-' || begin[0] == '+')
        return std::nullopt;
    return value;
}

}  // namespace

SavedIdentity identityOfStore(const ParameterStore& store) {
    SavedIdentity identity;
    identity.model = store.ModelName;
    identity.serial = store.SerialNumber;
    identity.param04 = store.Param04Value;
    identity.param06 = store.Param06Value;
    identity.version = store.FirmwareVersion;
    return identity;
}

void loadIntoStore(const SavedIdentity& identity, ParameterStore& store) {
    store.ModelName = identity.model;
    store.SerialNumber = identity.serial;
    store.Param04Value = identity.param04;
    store.Param06Value = identity.param06;
    store.FirmwareVersion = identity.version;
}

std::string utcTimeText(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const auto millis = floor<milliseconds>(time);
    const auto day = floor<days>(millis);
    const year_month_day date{day};
    const hh_mm_ss clock{millis - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    return text;
}

std::optional<std::chrono::system_clock::time_point> parseUtcTime(std::string_view text) {
    using namespace std::chrono;
    // "YYYY-MM-DDTHH:MM:SS.mmmZ"
    if (text.size() != 24 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != '.' || text[23] != 'Z')
        return std::nullopt;
    const auto y = digitsAt(text, 0, 4), mo = digitsAt(text, 5, 2), d = digitsAt(text, 8, 2);
    const auto h = digitsAt(text, 11, 2), mi = digitsAt(text, 14, 2), s = digitsAt(text, 17, 2);
    const auto ms = digitsAt(text, 20, 3);
    if (!y || !mo || !d || !h || !mi || !s || !ms || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
    // The system clock's time points reach only a few centuries around 1970.
    if (*y < kFirstYear || *y > kLastYear) return std::nullopt;
    const year_month_day date{year(*y), month(static_cast<unsigned>(*mo)), day(static_cast<unsigned>(*d))};
    if (!date.ok()) return std::nullopt;
    return sys_days(date) + hours(*h) + minutes(*mi) + seconds(*s) + milliseconds(*ms);
}

std::vector<std::pair<std::string, std::string>> backupFields(const SavedIdentity& identity) {
    return {
        {"format", jsonString(kFormat)},
        {"formatVersion", std::to_string(kFormatVersion)},
        {"time", jsonString(identity.time)},
        {"port", jsonString(identity.port)},
        {"device", jsonString(identity.device)},
        {"model", jsonString(utf8OfBytes(identity.model))},
        {"modelBytes", byteList(identity.model)},
        {"serial", jsonString(utf8OfBytes(identity.serial))},
        {"serialBytes", byteList(identity.serial)},
        {"param04", std::to_string(identity.param04)},
        {"param06", std::to_string(identity.param06)},
        {"firmwareVersion", byteList({reinterpret_cast<const char*>(identity.version.data()), 2})},
        {"restored", optionalText(identity.restored)},
    };
}

std::string backupFileText(const SavedIdentity& identity) {
    std::string text = "{";
    for (const auto& [key, value] : backupFields(identity)) {
        text += text.size() > 1 ? ",\n  " : "\n  ";
        text += jsonString(key) + ": " + value;
    }
    return text + "\n}\n";
}

BackupRead readBackupText(std::string_view text) {
    const std::optional<JsonValue> json = parseJson(text);
    if (!json || json->kind != JsonValue::Kind::Object) return {std::nullopt, "damaged: not a JSON object"};
    const JsonValue* format = json->member("format");
    if (format == nullptr || format->kind != JsonValue::Kind::String || format->text != kFormat)
        return {std::nullopt, "not a backup of rqfwup"};
    const JsonValue* version = json->member("formatVersion");
    if (version == nullptr || version->whole(kFormatVersion) != kFormatVersion)
        return {std::nullopt, "a backup of another rqfwup version's format"};

    FieldReader read(*json);
    SavedIdentity identity;
    identity.time = read.time("time");
    identity.port = read.text("port");
    identity.device = read.text("device");
    identity.model = read.characters("model", kModelBytes);
    identity.serial = read.characters("serial", kSerialBytes);
    identity.param04 = read.byte("param04");
    identity.param06 = read.byte("param06");
    const std::string versionBytes = read.bytes("firmwareVersion", 2);
    identity.restored = read.optionalTime("restored");
    if (!read.refusal().empty()) return {std::nullopt, read.refusal()};
    identity.version = {static_cast<std::uint8_t>(versionBytes[0]),
                        static_cast<std::uint8_t>(versionBytes[1])};
    return {identity, {}};
}

}  // namespace rq
