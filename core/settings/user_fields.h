// Every field of a user set, once: the name scripts use, the label the panel
// shows beside it, the order the panel is filled in, the capture's bounds and
// messages, and where the value lives in the record.  The panel load, the
// capture, jxtool and the JSON all read these tables, so a bound or a message
// exists in one place.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "core/settings/keyer_settings.h"

// A number edit of the panel.
struct NumberField {
    std::string_view name;
    std::string_view label;
    // The panel is filled in this order: ranks up to LastLoadedBeforeLists
    // before the drop-down lists, the rest after them.
    int loadRank;
    std::uint32_t low;
    std::uint32_t high;
    bool zeroAlsoAccepted;
    std::string_view messageUser1;
    std::string_view messageUser2;
    // The number the panel shows; none for a sidetone code of 0, which has no frequency.
    std::optional<std::uint32_t> (*shown)(const UserSettings& u, const UserExtension& e);
    // Stores a value that passed its bounds.
    void (*store)(UserSettings& u, UserExtension& e, std::uint32_t value);
};

enum class FlagRegister { ModeReg, SpacingReg, FeatureFlags };

// A check box of the panel: one bit of one register; its label is its own text.
struct FlagField {
    std::string_view name;
    std::string_view label;
    FlagRegister reg;
    std::uint8_t mask;
};

// A drop-down list of the panel: its entries in the order the list shows them.
struct ChoiceField {
    std::string_view name;
    std::string_view label;
    std::span<const std::string_view> entries;
    int (*shown)(const UserSettings& u);
    // Stores entry `index`; an index outside the entries changes nothing.
    void (*choose)(UserSettings& u, int index);
};

inline constexpr int LastLoadedBeforeLists = 13;

// The number fields in the order the capture checks them.  The speed pot's
// limits (potMinWpm, then potMaxWpm) are checked as a pair: upper above lower
// first, then each one's bounds, and both are stored together.
std::span<const NumberField> numberFields();
std::span<const FlagField> flagFields();
std::span<const ChoiceField> choiceFields();

const NumberField* findNumberField(std::string_view name);
const FlagField* findFlagField(std::string_view name);
const ChoiceField* findChoiceField(std::string_view name);

// The number fields in the order the panel is filled in.
std::span<const NumberField* const> numberFieldsInLoadOrder();

// The label of the callsign edits, which hold messages 13 and 14.
inline constexpr std::string_view CallsignLabel = "User Callsign /M";

std::uint8_t& flagRegister(const FlagField& field, UserSettings& u, UserExtension& e);
bool flagValue(const FlagField& field, const UserSettings& u, const UserExtension& e);

// The capture's checks in their order over numbers from `valueOf` (one call
// per field, in the table's order).  Each passing field is stored into u and
// e at once; at the first failure its message is returned and nothing after
// it is read or stored.  An empty result means every field passed.
using FieldValueSource = std::function<std::uint32_t(const NumberField&)>;
std::string_view captureUserSet(UserSettings& u, UserExtension& e, UserSet set, const FieldValueSource& valueOf);

// The first message the capture would show for the set as the panel would
// show it, or empty when Write would send it.  The record is not changed.
std::string_view checkUserSet(const UserSettings& u, const UserExtension& e, UserSet set);

// A number field's text as an unsigned decimal number: empty or non-numeric
// text reads 0, and a number too large for 32 bits reads 4294967295, so that
// it fails every upper bound instead of wrapping round to a small value.
std::uint32_t parseFieldNumber(std::string_view text);
