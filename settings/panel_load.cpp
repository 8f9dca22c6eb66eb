#include "settings/panel_load.h"

#include <array>
#include <cstdint>
#include <string>

#include "resources/control_ids.h"

using namespace mainwin;

namespace {

void showNumber(Window mainWindow, int controlId, unsigned value) {
    setControlText(mainWindow, controlId, std::to_string(value));
}

bool bitSet(std::uint8_t reg, std::uint8_t mask) { return (reg & mask) != 0; }

}  // namespace

int keyerModeIndex(std::uint8_t modeReg, std::uint8_t outputConfig) {
    switch (modeReg & modeBits::keyerModeMask) {
        case 0x10: return 0;  // "Iambic A"
        case 0x00: return 1;  // "Iambic B"
        case 0x30: return 5;  // "VibroBug"
        default: break;       // the Ultimatic family: the priority bits pick the entry
    }
    if (outputConfig & outputBits::priorityDit) return 3;  // "UltimDit", also with both bits set
    if (outputConfig & outputBits::priorityDah) return 4;  // "UltimDah"
    return 2;                                             // "Ultimatic"
}

int paddleHangIndex(std::uint8_t outputConfig) {
    return (outputConfig & outputBits::paddleHangMask) >> outputBits::paddleHangShift;
}

int outputSelectionIndex(std::uint8_t outputConfig) {
    // The list names sidetone before PTT, the register has PTT in bit 0: 5 and 6, 9 and 10 swap.
    constexpr std::array<int, 16> indexOfNibble{0, 0, 0, 0, 0, 2, 1, 3, 4, 6, 5, 7, 0, 0, 0, 0};
    return indexOfNibble[outputConfig & outputBits::outputSelectionMask];
}

void loadPanel(Window mainWindow, UserSet set) {
    const UserSettings& u = userSettings(set);
    const UserExtension& e = userExtension(set);

    showNumber(mainWindow, WeightEdit, u.weight);
    showNumber(mainWindow, PttLeadInEdit, u.pttLeadIn);
    showNumber(mainWindow, PttTailEdit, u.pttTail);
    showNumber(mainWindow, FirstExtensionEdit, u.firstExtension);
    showNumber(mainWindow, KeyCompEdit, u.keyComp);
    showNumber(mainWindow, FarnsWpmEdit, u.farnsworthWpm);
    showNumber(mainWindow, PdlSampleEdit, u.paddleSample);
    showNumber(mainWindow, RatioEdit, u.ratio);
    showNumber(mainWindow, CurWpmEdit, u.favoriteWpm);
    showNumber(mainWindow, StVolumeEdit, e.sidetoneVolume);
    // Stored as the serial number minus one, high byte first.
    showNumber(mainWindow, SerialNumberEdit, e.serialNumberHigh * 256u + e.serialNumberLow + 1u);
    showNumber(mainWindow, CmdWpmEdit, u.commandWpm);
    showNumber(mainWindow, LetterSpaceEdit, u.spacingReg & spacingBits::letterSpaceAdjustMask);
    listSelect(mainWindow, KeyerModeList, keyerModeIndex(u.modeReg, u.outputConfig));
    listSelect(mainWindow, PaddleHangList, paddleHangIndex(u.outputConfig));
    listSelect(mainWindow, OutputSelectionList, outputSelectionIndex(u.outputConfig));
    // Code 0 has no frequency: the field keeps whatever it shows.
    if (u.sidetoneCode != 0) showNumber(mainWindow, SidetoneFreqEdit, 62500u / u.sidetoneCode);
    showNumber(mainWindow, MaxWpmEdit, static_cast<unsigned>(u.potMinWpm) + u.potRangeWpm);
    showNumber(mainWindow, MinWpmEdit, u.potMinWpm);

    setChecked(mainWindow, SwapCheck, bitSet(u.modeReg, modeBits::swapPaddles));
    setChecked(mainWindow, AutoSpaceCheck, bitSet(u.modeReg, modeBits::autoSpace));
    setChecked(mainWindow, CtSpaceCheck, bitSet(u.modeReg, modeBits::ctSpace));
    setChecked(mainWindow, PdlWdOffCheck, bitSet(u.modeReg, modeBits::paddleWatchdogOff));
    setChecked(mainWindow, Cut0Check, bitSet(e.featureFlags, featureBits::cutZero));
    setChecked(mainWindow, Cut9Check, bitSet(e.featureFlags, featureBits::cutNine));
    setChecked(mainWindow, PdlToneOnlyCheck, bitSet(e.featureFlags, featureBits::pdlToneOnly));
    setChecked(mainWindow, PaddleMuteCheck, bitSet(e.featureFlags, featureBits::paddleMute));
    setChecked(mainWindow, So2rCheck, bitSet(e.featureFlags, featureBits::so2r));
    setChecked(mainWindow, FastCmdCheck, bitSet(e.featureFlags, featureBits::fastCmd));
    setChecked(mainWindow, FaveWpmOffCheck, bitSet(e.featureFlags, featureBits::faveWpmOff));
    setChecked(mainWindow, Tune50Check, bitSet(u.spacingReg, spacingBits::tune50));

    // Each user set has its own callsign message; only the one on show is visible.
    showControl(mainWindow, Callsign1Edit, set == UserSet::User1);
    showControl(mainWindow, Callsign2Edit, set == UserSet::User2);
}
