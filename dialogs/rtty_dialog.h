// The "RTTY Mode Setup" dialog (template 1005): the two RTTY option bytes of
// the user set on show, edited in the record only; they reach the keyer with
// the next Write and a settings file with the next save.
#pragma once

#include <array>

#include "core/settings/rtty_fields.h"
#include "platform/dialog.h"
#include "resources/control_ids.h"

// The controls of rttyFlags and rttyChoices, in their order.
inline constexpr std::array<int, rttyFlags.size()> RttyFlagChecks{rtty::EnableCheck, rtty::DiddleCheck,
                                                                   rtty::FskMapCheck, rtty::AutoCrLfCheck,
                                                                   rtty::ReverseCheck};
inline constexpr std::array<int, rttyChoices.size()> RttyChoiceLists{rtty::StopBitsList, rtty::DiddleIsList,
                                                                      rtty::UsosList};
inline constexpr std::array<int, rttyChoices.size()> RttyChoiceLabels{rtty::StopBitsLabel, rtty::DiddleIsLabel,
                                                                       rtty::UsosLabel};

// Ends with 1 after "Ok", "Cancel" or Enter, 0 after the close box.
bool rttyDialogProc(Window dialog, const DialogMessage& message);
