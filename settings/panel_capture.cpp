#include "settings/panel_capture.h"

#include <array>
#include <limits>

#include "app/main_window.h"
#include "resources/control_ids.h"
#include "settings/panel_load.h"

using namespace mainwin;

namespace {

constexpr std::size_t FieldReadLimit = 64;

std::uint32_t readField(Window mainWindow, int controlId) {
    return parseFieldNumber(getControlText(mainWindow, controlId, FieldReadLimit));
}

std::uint8_t toByte(std::uint32_t value) { return static_cast<std::uint8_t>(value); }

// One number field: its bounds, what to tell the operator when it fails
// (the two user sets word six of the messages differently), and where a
// passing value goes.  Every bound keeps the value within a byte.
struct CaptureRow {
    int controlId;
    std::uint32_t low;
    std::uint32_t high;
    bool zeroAlsoAccepted;
    std::string_view messageUser1;
    std::string_view messageUser2;
    void (*store)(UserSettings& u, UserExtension& e, std::uint32_t value);
};

constexpr std::array<CaptureRow, 13> rowsBeforePotLimits{{
    {WeightEdit, 10, 90, false, "Weight must be between 10 and 90", "Weight must be between 10 and 90",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.weight = toByte(v); }},
    {PttLeadInEdit, 0, 250, false, "Lead In must be 250 or less.", "Lead In must be 250 or less.",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.pttLeadIn = toByte(v); }},
    {PttTailEdit, 0, 250, false, "Tail must be 250 or less.", "Tail must be 250 or less.",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.pttTail = toByte(v); }},
    // The keyer holds the sidetone as 62500 divided by the frequency: 125 down to 15.
    {SidetoneFreqEdit, 500, 4000, false, "Freq must be 500 or greater.", "Freq must be between 500 and 4000.",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.sidetoneCode = toByte(62500 / v); }},
    {FirstExtensionEdit, 0, 250, false, "1st Extend must be 250 or less.", "Extend must be 250 or less.",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.firstExtension = toByte(v); }},
    {KeyCompEdit, 0, 250, false, "Key Comp must be 250 or less.", "Key Comp must be 250 or less.",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.keyComp = toByte(v); }},
    // 0 turns Farnsworth spacing off; the keyer takes speeds up to 99.
    {FarnsWpmEdit, 10, 99, true, "Farns must be 0 or between 10 and 90",
     "Farnsworth WPM must be 0 or between 10 and 90",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.farnsworthWpm = toByte(v); }},
    {PdlSampleEdit, 10, 90, true, "Paddle Sample must be 0 or between 10 and 90",
     "Paddle Sample must be between 10 and 90",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.paddleSample = toByte(v); }},
    {CmdWpmEdit, 5, 99, false, "Command WPM must be between 5 and 99", "CMDWPM must be between 5 and 99",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.commandWpm = toByte(v); }},
    {CurWpmEdit, 5, 99, false, "Favorite WPM must be between 5 and 99", "Favorite WPM must be between 5 and 99",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.favoriteWpm = toByte(v); }},
    {StVolumeEdit, 1, 10, false, "Sidetone volume must be between 1 and 10", "Sidetone volume must be between 1 and 10",
     [](UserSettings&, UserExtension& e, std::uint32_t v) { e.sidetoneVolume = toByte(v); }},
    // Kept as the serial number minus one, high byte first.
    {SerialNumberEdit, 1, 9999, false, "Serial number must be between 1 and 9999",
     "Serial number must be between 1 and 9999",
     [](UserSettings&, UserExtension& e, std::uint32_t v) {
         e.serialNumberHigh = toByte((v - 1) >> 8);
         e.serialNumberLow = toByte((v - 1) & 0xFF);
     }},
    {RatioEdit, 33, 66, false, "Ratio must be between 33 and 66", "Ratio must be between 33 and 66",
     [](UserSettings& u, UserExtension&, std::uint32_t v) { u.ratio = toByte(v); }},
}};

// The letter-space adjustment takes bits 4-0 of spacingReg; the flags above stay.
void storeLetterSpace(UserSettings& u, UserExtension&, std::uint32_t value) {
    u.spacingReg = toByte((u.spacingReg & ~spacingBits::letterSpaceAdjustMask) | value);
}
constexpr CaptureRow letterSpaceRow{LetterSpaceEdit, 0, 31, false,
                                    "Letterspace Adjustment can't be greater than 31",
                                    "Letterspace Adjustment can't be greater than 31", storeLetterSpace};

void showCaptureError(Window mainWindow, std::string_view message) {
    messageBox(mainWindow, message, "Error", MessageIcon::None);
}

bool captureRow(Window mainWindow, UserSet set, const CaptureRow& row) {
    const std::uint32_t value = readField(mainWindow, row.controlId);
    const bool accepted = (value >= row.low && value <= row.high) || (row.zeroAlsoAccepted && value == 0);
    if (!accepted) {
        showCaptureError(mainWindow, set == UserSet::User1 ? row.messageUser1 : row.messageUser2);
        return false;
    }
    row.store(userSettings(set), userExtension(set), value);
    return true;
}

// The speed pot: the keyer keeps the lower limit and the range above it.
bool capturePotLimits(Window mainWindow, UserSet set) {
    const std::uint32_t upper = readField(mainWindow, MaxWpmEdit);
    const std::uint32_t lower = readField(mainWindow, MinWpmEdit);
    if (upper <= lower) {
        showCaptureError(mainWindow, "Pot Max must be greater than Pot Min");
        return false;
    }
    if (lower < 5 || lower > 99) {
        showCaptureError(mainWindow, "Pot Min must be between 5 and 99");
        return false;
    }
    if (upper < 5 || upper > 99) {
        showCaptureError(mainWindow, "Pot Max must be between 5 and 99");
        return false;
    }
    UserSettings& u = userSettings(set);
    u.potMinWpm = toByte(lower);
    u.potRangeWpm = toByte(upper - lower);
    return true;
}

// --- Immediate updates ------------------------------------------------------

enum class FlagRegister { ModeReg, SpacingReg, FeatureFlags };

struct CheckBoxBit {
    int controlId;
    FlagRegister reg;
    std::uint8_t mask;
};

constexpr std::array<CheckBoxBit, 12> checkBoxBits{{
    {SwapCheck, FlagRegister::ModeReg, modeBits::swapPaddles},
    {AutoSpaceCheck, FlagRegister::ModeReg, modeBits::autoSpace},
    {CtSpaceCheck, FlagRegister::ModeReg, modeBits::ctSpace},
    {PdlWdOffCheck, FlagRegister::ModeReg, modeBits::paddleWatchdogOff},
    {Cut0Check, FlagRegister::FeatureFlags, featureBits::cutZero},
    {Cut9Check, FlagRegister::FeatureFlags, featureBits::cutNine},
    {PdlToneOnlyCheck, FlagRegister::FeatureFlags, featureBits::pdlToneOnly},
    {PaddleMuteCheck, FlagRegister::FeatureFlags, featureBits::paddleMute},
    {FastCmdCheck, FlagRegister::FeatureFlags, featureBits::fastCmd},
    {So2rCheck, FlagRegister::FeatureFlags, featureBits::so2r},
    {FaveWpmOffCheck, FlagRegister::FeatureFlags, featureBits::faveWpmOff},
    {Tune50Check, FlagRegister::SpacingReg, spacingBits::tune50},
}};

std::uint8_t& registerOf(const CheckBoxBit& box, UserSet set) {
    switch (box.reg) {
        case FlagRegister::ModeReg: return userSettings(set).modeReg;
        case FlagRegister::SpacingReg: return userSettings(set).spacingReg;
        case FlagRegister::FeatureFlags: break;
    }
    return userExtension(set).featureFlags;
}

void toggleCheckBox(Window mainWindow, const CheckBoxBit& box) {
    std::uint8_t& reg = registerOf(box, activeUserSet);
    reg = static_cast<std::uint8_t>(reg ^ box.mask);
    // The box follows the record, whatever state the click left it in.
    setChecked(mainWindow, box.controlId, (reg & box.mask) != 0);
}

void setBits(std::uint8_t& reg, std::uint8_t mask, std::uint8_t value) {
    reg = static_cast<std::uint8_t>((reg & ~mask) | (value & mask));
}

void keyerModeChosen(int index) {
    UserSettings& u = userSettings(activeUserSet);
    constexpr std::uint8_t IambicA = 0x10, IambicB = 0x00, Ultimatic = 0x20, VibroBug = 0x30;
    switch (index) {
        case 0: setBits(u.modeReg, modeBits::keyerModeMask, IambicA); break;
        case 1: setBits(u.modeReg, modeBits::keyerModeMask, IambicB); break;
        case 2:
            setBits(u.modeReg, modeBits::keyerModeMask, Ultimatic);
            setBits(u.outputConfig, outputBits::ultimaticPriorityMask, 0);
            break;
        case 3:
            setBits(u.modeReg, modeBits::keyerModeMask, Ultimatic);
            setBits(u.outputConfig, outputBits::ultimaticPriorityMask, outputBits::priorityDit);
            break;
        case 4:
            setBits(u.modeReg, modeBits::keyerModeMask, Ultimatic);
            setBits(u.outputConfig, outputBits::ultimaticPriorityMask, outputBits::priorityDah);
            break;
        case 5: setBits(u.modeReg, modeBits::keyerModeMask, VibroBug); break;
        default: break;  // no selection
    }
}

void paddleHangChosen(int index) {
    if (index < 0 || index > 3) return;
    UserSettings& u = userSettings(activeUserSet);
    setBits(u.outputConfig, outputBits::paddleHangMask,
            static_cast<std::uint8_t>(index << outputBits::paddleHangShift));
}

void outputSelectionChosen(int index) {
    // Key port 2 is bit 3, key port 1 bit 2, sidetone bit 1, PTT bit 0.
    constexpr std::array<std::uint8_t, 8> outputOfIndex{4, 6, 5, 7, 8, 10, 9, 11};
    // Without a selection the keyer keeps its outputs: clearing them would leave it keying nothing.
    if (index < 0 || index >= static_cast<int>(outputOfIndex.size())) return;
    UserSettings& u = userSettings(activeUserSet);
    setBits(u.outputConfig, outputBits::outputSelectionMask, outputOfIndex[static_cast<std::size_t>(index)]);
}

}  // namespace

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

bool capturePanel(Window mainWindow, UserSet set) {
    for (const CaptureRow& row : rowsBeforePotLimits) {
        if (!captureRow(mainWindow, set, row)) return false;
    }
    if (!capturePotLimits(mainWindow, set)) return false;
    return captureRow(mainWindow, set, letterSpaceRow);
}

void selectUserSet(Window mainWindow, UserSet target) {
    lockControls(mainWindow);
    // The panel on show is kept before another set replaces it; a field that
    // fails keeps the operator on the set being edited.
    if (capturePanel(mainWindow, activeUserSet)) {
        setChecked(mainWindow, User1Radio, target == UserSet::User1);
        setChecked(mainWindow, User2Radio, target == UserSet::User2);
        activeUserSet = target;
        loadPanel(mainWindow, target);
        std::uint8_t& flags = keyerSettings.user1.spacingReg;
        setBits(flags, spacingBits::user2Active, target == UserSet::User2 ? spacingBits::user2Active : 0);
    }
    unlockControls(mainWindow);
}

void applyImmediateUpdate(Window mainWindow, int controlId, int notifyCode) {
    for (const CheckBoxBit& box : checkBoxBits) {
        if (box.controlId == controlId) {
            toggleCheckBox(mainWindow, box);
            return;
        }
    }
    switch (controlId) {
        case KeyerModeList:
        case PaddleHangList:
        case OutputSelectionList: {
            if (notifyCode != notify::ListSelectionChange) return;
            const int index = listSelection(mainWindow, controlId);
            if (controlId == KeyerModeList) keyerModeChosen(index);
            if (controlId == PaddleHangList) paddleHangChosen(index);
            if (controlId == OutputSelectionList) outputSelectionChosen(index);
            return;
        }
        // The bank choice lives in user1 whichever set is on show.
        case MessageBank1Radio: setBits(keyerSettings.user1.spacingReg, spacingBits::messageBank2, 0); return;
        case MessageBank2Radio:
            setBits(keyerSettings.user1.spacingReg, spacingBits::messageBank2, spacingBits::messageBank2);
            return;
        default: return;
    }
}
