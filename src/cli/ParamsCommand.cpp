#include "cli/ParamsCommand.h"

#include <algorithm>
#include <optional>
#include <ostream>
#include <span>
#include <string_view>
#include <variant>

#include "cli/DevicePort.h"
#include "cli/TextLines.h"
#include "cli/TraceOnlyView.h"
#include "core/log/Json.h"
#include "core/params/StoreListing.h"
#include "core/wizard/ErrorMessages.h"
#include "core/wizard/Hints.h"
#include "core/wizard/ParameterReport.h"
#include "platform/LocaleTime.h"
#include "platform/SteadyClock.h"

namespace rq::cli {
namespace {

constexpr std::size_t kGroupColumn = 16;
constexpr std::size_t kAddressColumn = 32;
// What the table shows for a value that no answer filled.
constexpr std::string_view kUnread = "-";

// Appends an item, after the separator unless it is the first.
void appendItem(std::string& items, std::string_view separator, const std::string& item) {
    if (!items.empty()) items.append(separator);
    items.append(item);
}

std::string enclosed(char open, const std::string& inside, char close) {
    std::string out(1, open);
    out.append(inside).push_back(close);
    return out;
}

template <typename Number, typename Format>
std::string joined(const std::vector<Number>& numbers, std::string_view separator, Format format) {
    std::string out;
    for (const Number& number : numbers) appendItem(out, separator, format(number));
    return out;
}

std::string jsonNumber(std::optional<std::uint32_t> number) {
    return number ? std::to_string(*number) : "null";
}

std::string jsonValue(const ListedValue& value) {
    if (value.text) return jsonString(utf8OfBytes(*value.text));
    if (value.list) return enclosed('[', joined(value.numbers, ",", jsonNumber), ']');
    return value.numbers.empty() ? "null" : jsonNumber(value.numbers[0]);
}

std::string jsonValues(const std::vector<ListedValue>& values) {
    if (values.empty()) return "null";
    if (values.size() == 1 && values[0].name.empty()) return jsonValue(values[0]);
    std::string members;
    for (const ListedValue& value : values)
        appendItem(members, ",", jsonString(value.name) + ":" + jsonValue(value));
    return enclosed('{', members, '}');
}

// Lines of one address depth and up: an array per level, one element per run of the same number.
std::string jsonLines(std::span<const ListedLine> lines, std::size_t depth) {
    if (lines.empty()) return "[]";
    if (depth >= lines[0].address.size()) return jsonValues(lines[0].values);
    std::string items;
    for (std::size_t begin = 0; begin < lines.size();) {
        std::size_t end = begin + 1;
        while (end < lines.size() && lines[end].address.size() > depth &&
               lines[end].address[depth].second == lines[begin].address[depth].second) {
            ++end;
        }
        appendItem(items, ",", jsonLines(lines.subspan(begin, end - begin), depth + 1));
        begin = end;
    }
    return enclosed('[', items, ']');
}

std::string hexDigits(std::uint32_t number, std::size_t digits) {
    std::string hex(digits, '0');
    for (std::size_t i = digits; i-- > 0; number >>= 4) hex[i] = "0123456789ABCDEF"[number & 0xF];
    return hex;
}

std::string quoted(const std::string& bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            out.append("\\x").append(hexDigits(byte, 2));
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string tableNumber(std::uint32_t number, std::size_t width) {
    return std::to_string(number) + " (0x" + hexDigits(number, 2 * width) + ")";
}

std::string tableValue(const ListedValue& value) {
    if (value.text) return quoted(*value.text);
    const auto number = [&](std::optional<std::uint32_t> n) {
        return n ? tableNumber(*n, value.width) : std::string(kUnread);
    };
    const std::string numbers = joined(value.numbers, ", ", number);
    const std::string shown = value.list ? enclosed('[', numbers, ']') : numbers;
    return value.name.empty() ? shown : value.name + " " + shown;
}

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size() + 1), ' ');
    return text;
}

std::string tableLine(const std::string& group, const ListedLine& line) {
    std::string address;
    for (const auto& [dimension, number] : line.address)
        appendItem(address, " ", dimension + " " + std::to_string(number));
    std::string values;
    for (const ListedValue& value : line.values) appendItem(values, "  ", tableValue(value));
    if (line.values.empty()) values = kUnread;
    return padded(group, kGroupColumn) + padded(address, kAddressColumn) + values + "\n";
}

std::string unstoredJson(const UnstoredAnswer& answer) {
    const auto byte = [](std::uint8_t b) { return std::to_string(b); };
    return "{\"command\":" + std::to_string(answer.command) +
           ",\"request\":" + enclosed('[', joined(answer.request, ",", byte), ']') + "}";
}

std::string unstoredLine(const UnstoredAnswer& answer) {
    const auto byte = [](std::uint8_t b) { return tableNumber(b, 1); };
    return padded("unstored", kGroupColumn) +
           padded("command " + std::to_string(answer.command), kAddressColumn) + "request " +
           enclosed('[', joined(answer.request, ", ", byte), ']') + "\n";
}

struct ParamsOptions {
    PortOptions portOptions;
    SimOptions sim;
    bool json = false;
    bool trace = false;
};

std::variant<ParamsOptions, UsageError> parse(const std::vector<std::string>& args) {
    ParamsOptions options;
    ArgReader reader(args);
    while (!reader.done()) {
        const std::string& word = reader.next();
        if (!isOption(word)) return UsageError{"params takes options only, not '" + word + "'"};
        if (word == "--json" || word == "--trace") {
            (word == "--json" ? options.json : options.trace) = true;
            continue;
        }
        std::string error;
        const bool taken = takePortOption(word, reader, options.portOptions, error) ||
                           takeSimOption(word, reader, options.sim, error);
        if (!taken) return UsageError{"unknown option " + word};
        if (!error.empty()) return UsageError{error};
    }
    if (const auto error = checkSimOptions(options.sim, options.portOptions)) return UsageError{*error};
    return options;
}

int readParams(const ParamsOptions& options, const Io& io) {
    SteadyClock clock;
    const DevicePort device =
        attachDevicePort(options.portOptions, options.sim, clock, [&io](const std::string& why) {
            io.err << "rqfwup-cli: " << why << "\n" << std::flush;
        });
    WizardState state;
    state.commSettings = options.portOptions.settings;
    state.commSettings.ComPort = static_cast<std::uint8_t>(device.number);
    state.TraceEnabled = options.trace;
    state.traceTime = localeTraceTime;
    TraceOnlyView view(io.err);
    StepContext context{state, *device.port, clock, view};
    const AnswerLog answers = readParameterReport(context);

    if (const std::uint8_t code = state.LinkError; code != 0) {
        io.err << "rqfwup-cli: "
               << readFailureHint(state, device.port->deviceName(device.number), "reading the parameters")
               << "\n";
        if (const auto message = errorMessage(code))
            io.err << message->title << "\n" << withoutCarriageReturns(message->text) << "\n";
        return code;
    }
    const std::vector<ListedGroup> groups = listStore(state.params, answers.filled);
    io.out << (options.json ? listingJson(groups, answers.unstored) : listingTable(groups, answers.unstored))
           << std::flush;
    return 0;
}

}  // namespace

std::string listingJson(const std::vector<ListedGroup>& groups, const std::vector<UnstoredAnswer>& unstored) {
    std::string members;
    for (const ListedGroup& group : groups)
        appendItem(members, ",\n  ", jsonString(group.name) + ": " + jsonLines(group.lines, 0));
    std::string requests;
    for (const UnstoredAnswer& answer : unstored) appendItem(requests, ",", unstoredJson(answer));
    appendItem(members, ",\n  ", "\"unstored\": " + enclosed('[', requests, ']'));
    return std::string("{\n  ").append(members).append("\n}\n");
}

std::string listingTable(const std::vector<ListedGroup>& groups,
                         const std::vector<UnstoredAnswer>& unstored) {
    std::string out;
    for (const ListedGroup& group : groups)
        for (const ListedLine& line : group.lines) out += tableLine(group.name, line);
    for (const UnstoredAnswer& answer : unstored) out += unstoredLine(answer);
    return out;
}

const char* const kParamsSynopsis =
    "  rqfwup-cli params [options]                read the device's parameters and print them\n";

std::string paramsHelp() {
    return "Options of params: the port and simulation options of update, and\n"
           "  --json                  one JSON object keyed by the parameter groups' names\n"
           "  --trace                 trace every normal-mode frame on standard error\n"
           "It reads the identity and every channel parameter a read can fill, and prints nothing\n"
           "unless every read was answered. A value no answer filled is null (- in the table);\n"
           "\"unstored\" lists the requests whose answers the store could not take. Exit status as update.\n";
}

int runParams(const std::vector<std::string>& args, const Io& io) {
    return runParsed(parse(args), io, readParams);
}

}  // namespace rq::cli
