#include "dialogs/rtty_dialog.h"

#include <array>
#include <string_view>

#include "core/settings/keyer_settings.h"
#include "dialogs/settings_record.h"
#include "resources/control_ids.h"

using namespace rtty;

namespace {

template <std::size_t N>
void fillList(Window dialog, int controlId, const std::array<std::string_view, N>& entries) {
    for (std::string_view entry : entries) listAdd(dialog, controlId, entry);
}

void initialise(Window dialog) {
    fillList(dialog, BaudRateList, rttyBaudRates);
    for (std::size_t i = 0; i < rttyChoices.size(); ++i) fillList(dialog, RttyChoiceLists[i], rttyChoices[i].entries);

    const UserExtension& ext = userExtension(activeUserSet);
    for (std::size_t i = 0; i < rttyFlags.size(); ++i)
        setChecked(dialog, RttyFlagChecks[i], (ext.rttyReg1 & rttyFlags[i].bit) != 0);
    listSelect(dialog, BaudRateList, ext.rttyReg1 & rttyBits1::rttyBaudMask);
    for (std::size_t i = 0; i < rttyChoices.size(); ++i)
        listSelect(dialog, RttyChoiceLists[i], (ext.rttyReg2 & rttyChoices[i].bit) != 0 ? 1 : 0);
}

// Both bytes are rebuilt from zero, so bits the dialog does not show end up
// clear.  A list whose text was typed over has no valid selection: its field
// keeps the value it had rather than taking a made-up one.
void storeSettings(Window dialog) {
    UserExtension& ext = userExtension(activeUserSet);
    std::uint8_t reg1 = 0;
    std::uint8_t reg2 = 0;
    for (std::size_t i = 0; i < rttyFlags.size(); ++i)
        if (isChecked(dialog, RttyFlagChecks[i])) reg1 |= rttyFlags[i].bit;
    const int baud = listSelection(dialog, BaudRateList);
    if (baud >= 0 && baud < static_cast<int>(rttyBaudRates.size()))
        reg1 |= static_cast<std::uint8_t>(baud);
    else
        reg1 |= ext.rttyReg1 & rttyBits1::rttyBaudMask;
    for (std::size_t i = 0; i < rttyChoices.size(); ++i) {
        const RttyChoice& list = rttyChoices[i];
        const int index = listSelection(dialog, RttyChoiceLists[i]);
        const bool valid = index == 0 || index == 1;
        const bool set = valid ? index == 1 : (ext.rttyReg2 & list.bit) != 0;
        if (set) reg2 |= list.bit;
    }
    ext.rttyReg1 = reg1;
    ext.rttyReg2 = reg2;
}

}  // namespace

bool rttyDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            initialise(dialog);
            return true;
        case DialogEvent::Command:
            switch (message.controlId) {
                case OkButton:
                    storeSettings(dialog);
                    endDialog(dialog, 1);
                    return true;
                case CancelButton:
                case IdOk:  // the Enter key: no button is the default, so it stores nothing
                    endDialog(dialog, 1);
                    return true;
                default:
                    return false;  // Esc among them: the dialog stays open
            }
        case DialogEvent::Close:
            endDialog(dialog, 0);
            return true;
        case DialogEvent::Timer:
            return false;
    }
    return false;
}
