#include "core/settings/record_fields.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>

#include "core/settings/message_codec.h"
#include "core/settings/message_memory.h"
#include "core/settings/rtty_fields.h"
#include "core/settings/user_fields.h"

namespace {

constexpr std::array<UserSet, 2> bothSets{UserSet::User1, UserSet::User2};

std::string setPrefix(UserSet set) { return set == UserSet::User1 ? "user1." : "user2."; }

std::string onOff(bool on) { return on ? "on" : "off"; }

std::string messageName(std::size_t slot) { return "msg" + std::to_string(slot + 1); }

std::string messageLabel(std::size_t slot) {
    if (slot < 12) return "Msg " + std::to_string(slot + 1);
    return std::string(CallsignLabel) + (slot == 12 ? " (User 1)" : " (User 2)");
}

std::string joined(std::span<const std::string_view> entries) {
    std::string text;
    for (std::string_view entry : entries) {
        if (!text.empty()) text += ", ";
        text += entry;
    }
    return text;
}

// The index of an entry, matched exactly as the list shows it.
std::optional<int> entryIndex(std::span<const std::string_view> entries, std::string_view value) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == value) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<bool> parseOnOff(std::string_view value) {
    if (value == "on" || value == "1" || value == "true") return true;
    if (value == "off" || value == "0" || value == "false") return false;
    return std::nullopt;
}

std::optional<std::uint32_t> parseNumber(std::string_view value) {
    if (value.empty() || value.size() > 9) return std::nullopt;
    for (char c : value)
        if (c < '0' || c > '9') return std::nullopt;
    return parseFieldNumber(value);
}


// One assignment that is not a panel number: applied at once to the record
// being built.  Returns the refusal, or empty.
std::string applyOther(KeyerSettings& r, std::string_view name, std::string_view value) {
    if (name == "userSet" || name == "messageBank") {
        const std::uint8_t bit = name == "userSet" ? spacingBits::user2Active : spacingBits::messageBank2;
        if (value != "1" && value != "2") return std::string(name) + " takes 1 or 2";
        setBits(r.user1.spacingReg, bit, value == "2");
        return {};
    }
    for (UserSet set : bothSets) {
        const std::string prefix = setPrefix(set);
        if (!name.starts_with(prefix)) continue;
        const std::string_view field = name.substr(prefix.size());
        UserSettings& u = userSetOf(r, set);
        UserExtension& e = userExtensionOf(r, set);
        if (const FlagField* flag = findFlagField(field)) {
            const auto on = parseOnOff(value);
            if (!on) return std::string(name) + " takes on or off";
            setBits(flagRegister(*flag, u, e), flag->mask, *on);
            return {};
        }
        if (const ChoiceField* choice = findChoiceField(field)) {
            const auto index = entryIndex(choice->entries, value);
            if (!index) return std::string(name) + " takes one of: " + joined(choice->entries);
            choice->choose(u, *index);
            return {};
        }
        if (field == "rtty.baud") {
            const auto index = entryIndex(rttyBaudRates, value);
            if (!index) return std::string(name) + " takes one of: " + joined(rttyBaudRates);
            e.rttyReg1 = static_cast<std::uint8_t>((e.rttyReg1 & ~rttyBits1::rttyBaudMask) | *index);
            return {};
        }
        for (const RttyFlag& flag : rttyFlags) {
            if (field != "rtty." + std::string(flag.name)) continue;
            const auto on = parseOnOff(value);
            if (!on) return std::string(name) + " takes on or off";
            setBits(e.rttyReg1, flag.bit, *on);
            return {};
        }
        for (const RttyChoice& choice : rttyChoices) {
            if (field != "rtty." + std::string(choice.name)) continue;
            const auto index = entryIndex(choice.entries, value);
            if (!index) return std::string(name) + " takes one of: " + joined(choice.entries);
            setBits(e.rttyReg2, choice.bit, *index == 1);
            return {};
        }
    }
    return "unknown field " + std::string(name);
}

}  // namespace

std::vector<RecordField> describeRecord(const KeyerSettings& r) {
    std::vector<RecordField> fields;
    const bool user2 = (r.user1.spacingReg & spacingBits::user2Active) != 0;
    const bool bank2 = (r.user1.spacingReg & spacingBits::messageBank2) != 0;
    fields.push_back({"userSet", "User 1 / User 2", user2 ? "2" : "1"});
    fields.push_back({"messageBank", "Message Bank 1 / 2", bank2 ? "2" : "1"});

    for (UserSet set : bothSets) {
        const std::string prefix = setPrefix(set);
        const UserSettings& u = userSetOf(r, set);
        const UserExtension& e = userExtensionOf(r, set);
        for (const NumberField& f : numberFields()) {
            const auto shown = f.shown(u, e);
            // A value the panel cannot show (sidetone code 0) reads as the empty field it leaves.
            fields.push_back({prefix + std::string(f.name), std::string(f.label),
                              shown ? std::to_string(*shown) : std::string()});
        }
        for (const FlagField& f : flagFields())
            fields.push_back({prefix + std::string(f.name), std::string(f.label), onOff(flagValue(f, u, e))});
        for (const ChoiceField& f : choiceFields())
            fields.push_back({prefix + std::string(f.name), std::string(f.label),
                              std::string(f.entries[static_cast<std::size_t>(f.shown(u))])});

        fields.push_back({prefix + "rtty.baud", std::string(RttyBaudLabel),
                          std::string(rttyBaudRates[e.rttyReg1 & rttyBits1::rttyBaudMask])});
        for (const RttyFlag& f : rttyFlags)
            fields.push_back({prefix + "rtty." + std::string(f.name), std::string(f.label), onOff((e.rttyReg1 & f.bit) != 0)});
        for (const RttyChoice& f : rttyChoices)
            fields.push_back({prefix + "rtty." + std::string(f.name), std::string(f.label),
                              std::string(f.entries[(e.rttyReg2 & f.bit) != 0 ? 1 : 0])});
    }

    const MessageTexts texts = messageTexts(r);
    for (std::size_t slot = 0; slot < texts.size(); ++slot)
        fields.push_back({messageName(slot), messageLabel(slot), texts[slot]});
    return fields;
}

std::vector<std::string> recordDifferences(const KeyerSettings& a, const KeyerSettings& b) {
    std::vector<std::string> lines;
    const std::vector<RecordField> fieldsOfA = describeRecord(a);
    const std::vector<RecordField> fieldsOfB = describeRecord(b);
    for (std::size_t i = 0; i < fieldsOfA.size() && i < fieldsOfB.size(); ++i)
        if (fieldsOfA[i].value != fieldsOfB[i].value)
            lines.push_back(fieldsOfA[i].name + ": \"" + fieldsOfA[i].value + "\" -> \"" + fieldsOfB[i].value + "\"");
    const bool anyField = !lines.empty();

    const auto bytesOfA = recordBytes(a);
    const auto bytesOfB = recordBytes(b);
    std::string offsets;
    for (std::size_t i = 0; i < RecordSize; ++i) {
        if (bytesOfA[i] == bytesOfB[i]) continue;
        if (anyField) {
            KeyerSettings changedAlone = a;
            recordBytes(changedAlone)[i] = bytesOfB[i];
            const std::vector<RecordField> fieldsAlone = describeRecord(changedAlone);
            const bool sameValues = std::equal(fieldsAlone.begin(), fieldsAlone.end(), fieldsOfA.begin(), fieldsOfA.end(),
                                               [](const RecordField& x, const RecordField& y) { return x.value == y.value; });
            if (!sameValues) continue;  // a field names it
        }
        if (!offsets.empty()) offsets += ' ';
        offsets += std::to_string(i);
    }
    if (!offsets.empty())
        lines.push_back(std::string(anyField ? "bytes no field names differ at offsets "
                                             : "no field differs; bytes differ at offsets ") +
                        offsets);
    return lines;
}

std::string extensionBlockHex(const KeyerSettings& record) {
    std::string text;
    char byte[4];
    for (std::uint8_t b : recordBytes(record).last<ExtensionBlockSize>()) {
        std::snprintf(byte, sizeof byte, "%02x", b);
        if (!text.empty()) text += ' ';
        text += byte;
    }
    return text;
}

SetFieldsResult setRecordFields(KeyerSettings& record, std::span<const FieldAssignment> assignments) {
    KeyerSettings r = record;
    std::array<std::map<std::string_view, std::uint32_t>, 2> numbers;  // per user set: field name -> value
    MessageTexts texts = messageTexts(r);
    bool messagesAssigned = false;

    for (const FieldAssignment& a : assignments) {
        bool taken = false;
        for (std::size_t slot = 0; slot < texts.size() && !taken; ++slot) {
            if (a.name != messageName(slot)) continue;
            // The editor refuses such keys; a script is told instead of losing them.
            for (unsigned char c : a.value)
                if (c != '\r' && c != '\n' && charToCode(c) == NoCode)
                    return {false, a.name + " holds a character that has no Morse code"};
            texts[slot] = a.value;
            messagesAssigned = taken = true;
        }
        for (std::size_t s = 0; s < bothSets.size() && !taken; ++s) {
            const std::string prefix = setPrefix(bothSets[s]);
            if (!a.name.starts_with(prefix)) continue;
            const NumberField* field = findNumberField(std::string_view(a.name).substr(prefix.size()));
            if (!field) continue;
            const auto value = parseNumber(a.value);
            if (!value) return {false, a.name + " takes a number"};
            numbers[s][field->name] = *value;
            taken = true;
        }
        if (taken) continue;
        if (std::string refusal = applyOther(r, a.name, a.value); !refusal.empty()) return {false, refusal};
    }

    for (std::size_t s = 0; s < bothSets.size(); ++s) {
        if (numbers[s].empty()) continue;
        const UserSet set = bothSets[s];
        const UserSettings shownU = userSetOf(r, set);
        const UserExtension shownE = userExtensionOf(r, set);
        const std::string_view refusal =
            captureUserSet(userSetOf(r, set), userExtensionOf(r, set), set, [&](const NumberField& field) {
                if (const auto it = numbers[s].find(field.name); it != numbers[s].end()) return it->second;
                return field.shown(shownU, shownE).value_or(0);
            });
        if (!refusal.empty()) return {false, std::string(refusal)};
    }

    if (messagesAssigned && !storeMessageTexts(r, texts))
        return {false, "the messages do not fit the message memory (241 characters in all), or hold characters "
                       "that have no Morse code"};
    record = r;
    return {true, {}};
}

std::string_view checkRecordForWrite(const KeyerSettings& record) {
    for (UserSet set : bothSets) {
        const std::string_view refusal = checkUserSet(userSetOf(record, set), userExtensionOf(record, set), set);
        if (!refusal.empty()) return refusal;
    }
    return {};
}
