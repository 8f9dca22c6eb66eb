#include "dialogs/panel_fields.h"

#include <array>

#include "resources/control_ids.h"

using namespace mainwin;

namespace {

constexpr std::array<PanelControls, 16> numberControls{{
    {"weight", WeightEdit, WeightLabel},
    {"pttLeadIn", PttLeadInEdit, PttLeadInLabel},
    {"pttTail", PttTailEdit, PttTailLabel},
    {"sidetoneFreq", SidetoneFreqEdit, StFreqLabel},
    {"firstExtension", FirstExtensionEdit, FirstExtensionLabel},
    {"keyComp", KeyCompEdit, KeyCompLabel},
    {"farnsworthWpm", FarnsWpmEdit, FarnsWpmLabel},
    {"paddleSample", PdlSampleEdit, PdlSampleLabel},
    {"commandWpm", CmdWpmEdit, CmdWpmLabel},
    {"favoriteWpm", CurWpmEdit, CurWpmLabel},
    {"sidetoneVolume", StVolumeEdit, StVolumeLabel},
    {"serialNumber", SerialNumberEdit, SerialNumberLabel},
    {"ratio", RatioEdit, RatioLabel},
    {"potMinWpm", MinWpmEdit, MinWpmLabel},
    {"potMaxWpm", MaxWpmEdit, MaxWpmLabel},
    {"letterSpace", LetterSpaceEdit, LetterSpaceLabel},
}};

constexpr std::array<PanelControls, 12> flagControls{{
    {"swapPaddles", SwapCheck, SwapCheck},
    {"autoSpace", AutoSpaceCheck, AutoSpaceCheck},
    {"ctSpace", CtSpaceCheck, CtSpaceCheck},
    {"paddleWatchdogOff", PdlWdOffCheck, PdlWdOffCheck},
    {"cutZero", Cut0Check, Cut0Check},
    {"cutNine", Cut9Check, Cut9Check},
    {"pdlToneOnly", PdlToneOnlyCheck, PdlToneOnlyCheck},
    {"paddleMute", PaddleMuteCheck, PaddleMuteCheck},
    {"fastCmd", FastCmdCheck, FastCmdCheck},
    {"so2r", So2rCheck, So2rCheck},
    {"faveWpmOff", FaveWpmOffCheck, FaveWpmOffCheck},
    {"tune50", Tune50Check, Tune50Check},
}};

constexpr std::array<PanelControls, 3> choiceControls{{
    {"keyerMode", KeyerModeList, KeyerModeLabel},
    {"paddleHang", PaddleHangList, PaddleHangLabel},
    {"outputSelection", OutputSelectionList, OutputSelectionLabel},
}};

constexpr std::array<int, 14> messageEdits{MessageEdit1, MessageEdit2,  MessageEdit3,  MessageEdit4, MessageEdit5,
                                           MessageEdit6, MessageEdit7,  MessageEdit8,  MessageEdit9, MessageEdit10,
                                           MessageEdit11, MessageEdit12, Callsign1Edit, Callsign2Edit};

// A row's controls by its place in its table (the tests hold both tables to
// the same rows in the same order).
template <typename Field, std::size_t N>
const PanelControls& controlsAt(std::span<const Field> table, const Field& field,
                                const std::array<PanelControls, N>& controls) {
    return controls[static_cast<std::size_t>(&field - table.data())];
}

}  // namespace

const PanelControls& panelControls(const NumberField& field) { return controlsAt(numberFields(), field, numberControls); }
const PanelControls& panelControls(const FlagField& field) { return controlsAt(flagFields(), field, flagControls); }
const PanelControls& panelControls(const ChoiceField& field) { return controlsAt(choiceFields(), field, choiceControls); }

std::span<const int> messageSlotEdits() { return messageEdits; }
