#include "core/settings/user_fields.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

std::uint8_t toByte(std::uint32_t value) { return static_cast<std::uint8_t>(value); }


using Shown = std::optional<std::uint32_t>;

// Every bound keeps the stored value within a byte.
constexpr std::array<NumberField, 16> numbers{{
    {"weight", "Weight", 1, 10, 90, false, "Weight must be between 10 and 90",
     "Weight must be between 10 and 90", [](const UserSettings& u, const UserExtension&) -> Shown { return u.weight; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.weight = toByte(v); }},
    {"pttLeadIn", "PTT LeadIn", 2, 0, 250, false, "Lead In must be 250 or less.",
     "Lead In must be 250 or less.", [](const UserSettings& u, const UserExtension&) -> Shown { return u.pttLeadIn; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.pttLeadIn = toByte(v); }},
    {"pttTail", "PTT Tail", 3, 0, 250, false, "Tail must be 250 or less.", "Tail must be 250 or less.",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.pttTail; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.pttTail = toByte(v); }},
    // The keyer holds the sidetone as 62500 divided by the frequency: 125 down to 15.
    {"sidetoneFreq", "ST Freq", 14, 500, 4000, false, "Freq must be 500 or greater.",
     "Freq must be between 500 and 4000.",
     [](const UserSettings& u, const UserExtension&) -> Shown {
         if (u.sidetoneCode == 0) return std::nullopt;
         return 62500u / u.sidetoneCode;
     },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.sidetoneCode = toByte(62500 / v); }},
    {"firstExtension", "1stExtension", 4, 0, 250, false, "1st Extend must be 250 or less.",
     "Extend must be 250 or less.",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.firstExtension; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.firstExtension = toByte(v); }},
    {"keyComp", "KeyComp", 5, 0, 250, false, "Key Comp must be 250 or less.",
     "Key Comp must be 250 or less.", [](const UserSettings& u, const UserExtension&) -> Shown { return u.keyComp; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.keyComp = toByte(v); }},
    // 0 turns Farnsworth spacing off; the keyer takes speeds up to 99.
    {"farnsworthWpm", "FarnsWpm", 6, 10, 99, true, "Farns must be 0 or between 10 and 90",
     "Farnsworth WPM must be 0 or between 10 and 90",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.farnsworthWpm; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.farnsworthWpm = toByte(v); }},
    {"paddleSample", "PdlSample", 7, 10, 90, true, "Paddle Sample must be 0 or between 10 and 90",
     "Paddle Sample must be between 10 and 90",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.paddleSample; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.paddleSample = toByte(v); }},
    {"commandWpm", "CmdWpm", 12, 5, 99, false, "Command WPM must be between 5 and 99",
     "CMDWPM must be between 5 and 99",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.commandWpm; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.commandWpm = toByte(v); }},
    {"favoriteWpm", "CurWpm", 9, 5, 99, false, "Favorite WPM must be between 5 and 99",
     "Favorite WPM must be between 5 and 99",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.favoriteWpm; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.favoriteWpm = toByte(v); }},
    {"sidetoneVolume", "ST Volume", 10, 1, 10, false, "Sidetone volume must be between 1 and 10",
     "Sidetone volume must be between 1 and 10",
     [](const UserSettings&, const UserExtension& e) -> Shown { return e.sidetoneVolume; },
     [](UserSettings&, UserExtension& e, std::uint32_t v) { e.sidetoneVolume = toByte(v); }},
    // Kept as the serial number minus one, high byte first.
    {"serialNumber", "S/N", 11, 1, 9999, false, "Serial number must be between 1 and 9999",
     "Serial number must be between 1 and 9999",
     [](const UserSettings&, const UserExtension& e) -> Shown {
         return e.serialNumberHigh * 256u + e.serialNumberLow + 1u;
     },
     [](UserSettings&, UserExtension& e, std::uint32_t v) {
         e.serialNumberHigh = toByte((v - 1) >> 8);
         e.serialNumberLow = toByte((v - 1) & 0xFF);
     }},
    {"ratio", "Ratio", 8, 33, 66, false, "Ratio must be between 33 and 66",
     "Ratio must be between 33 and 66", [](const UserSettings& u, const UserExtension&) -> Shown { return u.ratio; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.ratio = toByte(v); }},
    // The speed pot: the keyer keeps the lower limit and the range above it,
    // so the lower limit is stored first.
    {"potMinWpm", "MinWpm", 16, 5, 99, false, "Pot Min must be between 5 and 99",
     "Pot Min must be between 5 and 99",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.potMinWpm; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.potMinWpm = toByte(v); }},
    {"potMaxWpm", "MaxWpm", 15, 5, 99, false, "Pot Max must be between 5 and 99",
     "Pot Max must be between 5 and 99",
     [](const UserSettings& u, const UserExtension&) -> Shown {
         return static_cast<std::uint32_t>(u.potMinWpm) + u.potRangeWpm;
     },
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.potRangeWpm = toByte(v - u.potMinWpm); }},
    // Bits 4-0 of spacingReg; the flags above them stay.
    {"letterSpace", "LtrrSpace", 13, 0, 31, false, "Letterspace Adjustment can't be greater than 31",
     "Letterspace Adjustment can't be greater than 31",
     [](const UserSettings& u, const UserExtension&) -> Shown { return u.spacingReg & spacingBits::letterSpaceAdjustMask; },
     [](UserSettings& u, UserExtension&, std::uint32_t v) {
         setField(u.spacingReg, spacingBits::letterSpaceAdjustMask, toByte(v));
     }},
}};
constexpr std::size_t PotMinRow = 13;
constexpr std::size_t PotMaxRow = 14;
constexpr std::string_view PotOrderMessage = "Pot Max must be greater than Pot Min";

constexpr std::array<FlagField, 12> flags{{
    {"swapPaddles", "Swap", FlagRegister::ModeReg, modeBits::swapPaddles},
    {"autoSpace", "AutoSpace", FlagRegister::ModeReg, modeBits::autoSpace},
    {"ctSpace", "CTspace", FlagRegister::ModeReg, modeBits::ctSpace},
    {"paddleWatchdogOff", "PdlWDoff", FlagRegister::ModeReg, modeBits::paddleWatchdogOff},
    {"cutZero", "Cut 0", FlagRegister::FeatureFlags, featureBits::cutZero},
    {"cutNine", "Cut 9", FlagRegister::FeatureFlags, featureBits::cutNine},
    {"pdlToneOnly", "PdlToneOnly", FlagRegister::FeatureFlags, featureBits::pdlToneOnly},
    {"paddleMute", "PaddleMute", FlagRegister::FeatureFlags, featureBits::paddleMute},
    {"fastCmd", "FastCmd", FlagRegister::FeatureFlags, featureBits::fastCmd},
    {"so2r", "SO2R", FlagRegister::FeatureFlags, featureBits::so2r},
    {"faveWpmOff", "FaveWpmOff", FlagRegister::FeatureFlags, featureBits::faveWpmOff},
    {"tune50", "Tune50%", FlagRegister::SpacingReg, spacingBits::tune50},
}};

constexpr std::array<std::string_view, 6> keyerModes{"Iambic A", "Iambic B", "Ultimatic",
                                                     "UltimDit", "UltimDah", "VibroBug"};
constexpr std::array<std::string_view, 4> paddleHangs{"1.0 Word", "1.3 Word", "1.6 Word", "2.0 Word"};
constexpr std::array<std::string_view, 8> outputSelections{"Port1",      "Port1, ST",      "Port1, PTT",
                                                           "Port1, ST, PTT", "Port2",      "Port2, ST",
                                                           "Port2, PTT", "Port2, ST, PTT"};

int keyerModeShown(const UserSettings& u) {
    switch (u.modeReg & modeBits::keyerModeMask) {
        case 0x10: return 0;  // "Iambic A"
        case 0x00: return 1;  // "Iambic B"
        case 0x30: return 5;  // "VibroBug"
        default: break;       // the Ultimatic family: the priority bits pick the entry
    }
    if (u.outputConfig & outputBits::priorityDit) return 3;  // "UltimDit", also with both bits set
    if (u.outputConfig & outputBits::priorityDah) return 4;  // "UltimDah"
    return 2;                                               // "Ultimatic"
}

void keyerModeChosen(UserSettings& u, int index) {
    constexpr std::uint8_t IambicA = 0x10, IambicB = 0x00, Ultimatic = 0x20, VibroBug = 0x30;
    switch (index) {
        case 0: setField(u.modeReg, modeBits::keyerModeMask, IambicA); break;
        case 1: setField(u.modeReg, modeBits::keyerModeMask, IambicB); break;
        case 2:
            setField(u.modeReg, modeBits::keyerModeMask, Ultimatic);
            setField(u.outputConfig, outputBits::ultimaticPriorityMask, 0);
            break;
        case 3:
            setField(u.modeReg, modeBits::keyerModeMask, Ultimatic);
            setField(u.outputConfig, outputBits::ultimaticPriorityMask, outputBits::priorityDit);
            break;
        case 4:
            setField(u.modeReg, modeBits::keyerModeMask, Ultimatic);
            setField(u.outputConfig, outputBits::ultimaticPriorityMask, outputBits::priorityDah);
            break;
        case 5: setField(u.modeReg, modeBits::keyerModeMask, VibroBug); break;
        default: break;  // no selection
    }
}

int paddleHangShown(const UserSettings& u) {
    return (u.outputConfig & outputBits::paddleHangMask) >> outputBits::paddleHangShift;
}

void paddleHangChosen(UserSettings& u, int index) {
    if (index < 0 || index > 3) return;
    setField(u.outputConfig, outputBits::paddleHangMask, static_cast<std::uint8_t>(index << outputBits::paddleHangShift));
}

int outputSelectionShown(const UserSettings& u) {
    // The list names sidetone before PTT, the register has PTT in bit 0: 5 and 6, 9 and 10 swap.
    constexpr std::array<int, 16> indexOfNibble{0, 0, 0, 0, 0, 2, 1, 3, 4, 6, 5, 7, 0, 0, 0, 0};
    return indexOfNibble[u.outputConfig & outputBits::outputSelectionMask];
}

void outputSelectionChosen(UserSettings& u, int index) {
    // Key port 2 is bit 3, key port 1 bit 2, sidetone bit 1, PTT bit 0.
    constexpr std::array<std::uint8_t, 8> outputOfIndex{4, 6, 5, 7, 8, 10, 9, 11};
    // Without a selection the keyer keeps its outputs: clearing them would leave it keying nothing.
    if (index < 0 || index >= static_cast<int>(outputOfIndex.size())) return;
    setField(u.outputConfig, outputBits::outputSelectionMask, outputOfIndex[static_cast<std::size_t>(index)]);
}

constexpr std::array<ChoiceField, 3> choices{{
    {"keyerMode", "Keyer Mode", keyerModes, keyerModeShown, keyerModeChosen},
    {"paddleHang", "Paddle Hang", paddleHangs, paddleHangShown, paddleHangChosen},
    {"outputSelection", "Output Selection", outputSelections, outputSelectionShown,
     outputSelectionChosen},
}};

template <typename Field, std::size_t N>
const Field* findByName(const std::array<Field, N>& table, std::string_view name) {
    for (const Field& field : table)
        if (field.name == name) return &field;
    return nullptr;
}

bool passes(const NumberField& field, std::uint32_t value) {
    return (value >= field.low && value <= field.high) || (field.zeroAlsoAccepted && value == 0);
}

std::string_view messageFor(const NumberField& field, UserSet set) {
    return set == UserSet::User1 ? field.messageUser1 : field.messageUser2;
}

}  // namespace

std::span<const NumberField> numberFields() { return numbers; }
std::span<const FlagField> flagFields() { return flags; }
std::span<const ChoiceField> choiceFields() { return choices; }

const NumberField* findNumberField(std::string_view name) { return findByName(numbers, name); }
const FlagField* findFlagField(std::string_view name) { return findByName(flags, name); }
const ChoiceField* findChoiceField(std::string_view name) { return findByName(choices, name); }

std::span<const NumberField* const> numberFieldsInLoadOrder() {
    static const auto order = [] {
        std::array<const NumberField*, numbers.size()> fields{};
        for (std::size_t i = 0; i < numbers.size(); ++i) fields[i] = &numbers[i];
        std::sort(fields.begin(), fields.end(),
                  [](const NumberField* a, const NumberField* b) { return a->loadRank < b->loadRank; });
        return fields;
    }();
    return order;
}

std::uint32_t parseFieldNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    constexpr std::uint32_t Largest = std::numeric_limits<std::uint32_t>::max();
    std::uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        const auto digit = static_cast<std::uint32_t>(c - '0');
        // Saturate: a huge number must stay huge and fail its bound, never wrap to a passing value.
        value = value > (Largest - digit) / 10 ? Largest : value * 10 + digit;
    }
    return value;
}

std::uint8_t& flagRegister(const FlagField& field, UserSettings& u, UserExtension& e) {
    switch (field.reg) {
        case FlagRegister::ModeReg: return u.modeReg;
        case FlagRegister::SpacingReg: return u.spacingReg;
        case FlagRegister::FeatureFlags: break;
    }
    return e.featureFlags;
}

bool flagValue(const FlagField& field, const UserSettings& u, const UserExtension& e) {
    switch (field.reg) {
        case FlagRegister::ModeReg: return (u.modeReg & field.mask) != 0;
        case FlagRegister::SpacingReg: return (u.spacingReg & field.mask) != 0;
        case FlagRegister::FeatureFlags: break;
    }
    return (e.featureFlags & field.mask) != 0;
}

std::string_view captureUserSet(UserSettings& u, UserExtension& e, UserSet set, const FieldValueSource& valueOf) {
    for (std::size_t row = 0; row < numbers.size(); ++row) {
        const NumberField& field = numbers[row];
        if (row == PotMinRow) {
            const NumberField& maxField = numbers[PotMaxRow];
            const std::uint32_t upper = valueOf(maxField);
            const std::uint32_t lower = valueOf(field);
            if (upper <= lower) return PotOrderMessage;
            if (!passes(field, lower)) return messageFor(field, set);
            if (!passes(maxField, upper)) return messageFor(maxField, set);
            field.store(u, e, lower);
            maxField.store(u, e, upper);
            ++row;
            continue;
        }
        const std::uint32_t value = valueOf(field);
        if (!passes(field, value)) return messageFor(field, set);
        field.store(u, e, value);
    }
    return {};
}

std::string_view checkUserSet(const UserSettings& u, const UserExtension& e, UserSet set) {
    UserSettings scratch = u;
    UserExtension scratchExt = e;
    // A field that shows nothing reads as empty text does: 0.
    return captureUserSet(scratch, scratchExt, set,
                          [&](const NumberField& field) { return field.shown(u, e).value_or(0); });
}
