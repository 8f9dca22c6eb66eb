#include "core/settings/record_json.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/settings/record_fields.h"

namespace {

// One instantiation for both ways: ordered, so the export keeps its field order.
using json = nlohmann::ordered_json;

constexpr std::string_view FormatName = "keyer-settings-1";

constexpr std::string_view ObjectStart = "a JSON object must start with {";
constexpr std::string_view NothingAfter = "nothing may follow the object";
constexpr std::string_view ValueKinds = "a value must be a string, a whole number, true or false";

// Our words for what the parser reports, found by its own words: first the
// faults inside a string, then where in the object the parser stood.
struct ParseFault {
    std::string_view words;
    std::string_view reason;
};
constexpr ParseFault parseFaults[] = {
    {"missing closing quote", "a string was not closed"},
    {"control character", "a control character inside a string"},
    {"'\\u' must be followed by 4 hex digits", "\\u needs four hexadecimal digits"},
    {"surrogate", "a character outside the keyer's set"},
    {"forbidden character after backslash", "an unknown escape in a string"},
    {"ill-formed UTF-8", "a byte that is not UTF-8 in a string"},
    {"number overflow", ValueKinds},
    {"while parsing object key", "a member name in double quotes was expected"},
    {"while parsing object separator", "':' was expected after a member name"},
    {"while parsing object", "',' or '}' was expected"},
};

std::string jsonString(const std::string& text) { return json(text).dump(-1, ' ', true, json::error_handler_t::replace); }

// Takes the members of one flat object in order.  A value that opens an
// object or array is refused as it opens, so nothing nested is ever parsed.
class FlatObjectReader {
public:
    explicit FlatObjectReader(std::string_view text) : text_(text) {}

    std::vector<FieldAssignment> members;
    std::string error;

    bool null() { return refuseValue(); }
    bool boolean(bool value) { return take(value ? "true" : "false"); }
    bool number_integer(json::number_integer_t value) { return take(std::to_string(value)); }
    bool number_unsigned(json::number_unsigned_t value) { return take(std::to_string(value)); }
    // A whole number beyond 64 bits keeps its digits: its field refuses it as too large.
    bool number_float(json::number_float_t, const json::string_t& text) {
        return text.find_first_not_of("-0123456789") == std::string::npos ? take(text) : refuseValue();
    }
    bool string(json::string_t& value) { return take(std::move(value)); }
    bool binary(json::binary_t&) { return refuseValue(); }
    bool start_object(std::size_t) {
        if (place_ != Place::Before) return refuseValue();
        place_ = Place::Inside;
        return true;
    }
    bool key(json::string_t& name) {
        members.push_back({name, {}});
        if (!names_.insert(std::move(name)).second) return failAtMember("a member may appear only once");
        return noNul(members.back().name);
    }
    bool end_object() {
        place_ = Place::After;
        return true;
    }
    bool start_array(std::size_t) { return refuseValue(); }
    bool end_array() { return false; }

    // The position is the last character the parser read: the one at fault
    // in a string, else the end of the token it did not expect.
    bool parse_error(std::size_t position, const std::string&, const json::exception& fault) {
        if (place_ == Place::Before) return failAtStart();
        std::string_view what = fault.what();
        what = what.substr(0, what.find("; last read:"));  // what follows quotes the text
        std::string_view reason = NothingAfter;
        if (place_ == Place::Inside) {
            const auto known = std::find_if(
                std::begin(parseFaults), std::end(parseFaults), [&](const ParseFault& f) { return what.find(f.words) != std::string_view::npos; });
            reason = known != std::end(parseFaults) ? known->reason : ValueKinds;
        }
        return fail(std::string(reason) + " (at character " + std::to_string(position) + ")");
    }

private:
    enum class Place { Before, Inside, After };

    bool take(std::string value) {
        if (place_ == Place::Before) return failAtStart();
        members.back().value = std::move(value);
        return noNul(members.back().value);
    }
    // \u0000 would cut the text short wherever it is shown.
    bool noNul(const std::string& text) {
        return text.find('\0') == std::string::npos || failAtMember("a string may not hold \\u0000");
    }
    bool refuseValue() { return place_ == Place::Before ? failAtStart() : failAtMember(ValueKinds); }
    bool failAtStart() {
        const std::size_t first = std::min(text_.find_first_not_of(" \t\n\r"), text_.size());
        return fail(std::string(ObjectStart) + " (at character " + std::to_string(first + 1) + ")");
    }
    bool failAtMember(std::string_view why) {
        return fail(std::string(why) + " (at member " + jsonString(members.back().name) + ")");
    }
    bool fail(std::string why) {
        error = std::move(why);
        return false;
    }

    std::string_view text_;
    Place place_ = Place::Before;
    std::set<std::string> names_;
};

std::string hexOf(std::span<const std::uint8_t> bytes) {
    std::string text;
    char pair[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<KeyerSettings> recordFromHex(std::string_view hex) {
    if (hex.size() != RecordSize * 2) return std::nullopt;
    KeyerSettings record{};
    const auto bytes = recordBytes(record);
    for (std::size_t i = 0; i < RecordSize; ++i) {
        const int high = hexDigit(hex[2 * i]);
        const int low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return record;
}

}  // namespace

std::string recordToJson(const KeyerSettings& record) {
    json object;
    object["format"] = std::string(FormatName);
    object["record"] = hexOf(recordBytes(record));
    for (RecordField& field : describeRecord(record)) object[field.name] = std::move(field.value);
    // Anything outside printable ASCII leaves as \u00xx; replacing instead of throwing covers a byte no UTF-8 holds.
    return object.dump(2, ' ', true, json::error_handler_t::replace) + "\n";
}

JsonImportResult recordFromJson(std::string_view text, KeyerSettings& record) {
    FlatObjectReader reader(text);
    if (!json::sax_parse(text.begin(), text.end(), &reader)) return {false, reader.error};
    std::vector<FieldAssignment>& members = reader.members;

    KeyerSettings base = factorySettings();
    std::vector<FieldAssignment> fields;
    for (FieldAssignment& member : members) {
        if (member.name == "format") {
            if (member.value != FormatName) return {false, "format must be \"" + std::string(FormatName) + "\""};
        } else if (member.name == "record") {
            const auto fromHex = recordFromHex(member.value);
            if (!fromHex) return {false, "record must be 600 hexadecimal digits (the 300 bytes)"};
            base = *fromHex;
        } else {
            fields.push_back(std::move(member));
        }
    }

    // Only what differs from the base is assigned, so an untouched export
    // comes back byte for byte, bits no field names included.
    const std::vector<RecordField> shown = describeRecord(base);
    std::vector<FieldAssignment> changes;
    for (FieldAssignment& field : fields) {
        const auto known = std::find_if(shown.begin(), shown.end(),
                                        [&](const RecordField& f) { return f.name == field.name; });
        if (known != shown.end() && known->value == field.value) continue;
        changes.push_back(std::move(field));
    }
    const SetFieldsResult result = setRecordFields(base, changes);
    if (!result.ok) return {false, result.message};
    record = base;
    return {true, {}};
}
