#include "core/settings/record_json.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/settings/record_fields.h"

namespace {

constexpr std::string_view FormatName = "keyer-settings-1";

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

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

// A reader for one flat object of string, number and true/false members.
class FlatObjectReader {
public:
    explicit FlatObjectReader(std::string_view text) : text_(text) {}

    bool read(std::vector<FieldAssignment>& members) {
        skipSpace();
        if (!take('{')) return fail("a JSON object must start with {");
        skipSpace();
        if (take('}')) return atEnd();
        for (;;) {
            FieldAssignment member;
            skipSpace();
            if (!readString(member.name)) return fail("a member name in double quotes was expected");
            skipSpace();
            if (!take(':')) return fail("':' was expected after a member name");
            skipSpace();
            if (!readValue(member.value)) return false;
            members.push_back(std::move(member));
            skipSpace();
            if (take(',')) continue;
            if (take('}')) return atEnd();
            return fail("',' or '}' was expected");
        }
    }

    std::string error() const { return error_ + " (at character " + std::to_string(errorAt_ + 1) + ")"; }

private:
    bool fail(std::string why) {
        if (error_.empty()) {
            error_ = std::move(why);
            errorAt_ = at_;
        }
        return false;
    }
    bool atEnd() {
        skipSpace();
        return at_ == text_.size() || fail("nothing may follow the object");
    }
    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool takeWord(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    bool readValue(std::string& value) {
        if (at_ < text_.size() && text_[at_] == '"') return readString(value) || fail("a string was not closed");
        if (takeWord("true")) return value = "true", true;
        if (takeWord("false")) return value = "false", true;
        const std::size_t start = at_;
        take('-');
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
        if (at_ == start || text_[at_ - 1] == '-') return fail("a value must be a string, a whole number, true or false");
        value = std::string(text_.substr(start, at_ - start));
        return true;
    }

    bool readString(std::string& out) {
        if (!take('"')) return false;
        out.clear();
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return fail("a control character inside a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) break;
            const char e = text_[at_++];
            switch (e) {
                case '"': out += '"'; break;
                case '\\': out += '\\'; break;
                case '/': out += '/'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'u': {
                    unsigned code = 0;
                    for (int k = 0; k < 4; ++k) {
                        const int d = at_ < text_.size() ? hexDigit(text_[at_++]) : -1;
                        if (d < 0) return fail("\\u needs four hexadecimal digits");
                        code = code * 16 + static_cast<unsigned>(d);
                    }
                    // The record holds single bytes only: anything above is no keyer character.
                    if (code > 0xFF) return fail("a character outside the keyer's set");
                    out += static_cast<char>(code);
                    break;
                }
                default: return fail("an unknown escape in a string");
            }
        }
        return fail("a string was not closed");
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::string error_;
    std::size_t errorAt_ = 0;
};

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
    std::string out = "{\n  \"format\": ";
    appendJsonString(out, FormatName);
    out += ",\n  \"record\": ";
    appendJsonString(out, hexOf(recordBytes(record)));
    for (const RecordField& field : describeRecord(record)) {
        out += ",\n  ";
        appendJsonString(out, field.name);
        out += ": ";
        appendJsonString(out, field.value);
    }
    out += "\n}\n";
    return out;
}

JsonImportResult recordFromJson(std::string_view json, KeyerSettings& record) {
    std::vector<FieldAssignment> members;
    FlatObjectReader reader(json);
    if (!reader.read(members)) return {false, reader.error()};

    KeyerSettings base = std::bit_cast<KeyerSettings>(factoryRecord());
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
        const auto known = std::ranges::find(shown, field.name, &RecordField::name);
        if (known != shown.end() && known->value == field.value) continue;
        changes.push_back(std::move(field));
    }
    const SetFieldsResult result = setRecordFields(base, changes);
    if (!result.ok) return {false, result.message};
    record = base;
    return {true, {}};
}
