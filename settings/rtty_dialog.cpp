#include "settings/rtty_dialog.h"

#include "resources/control_ids.h"

// Placeholder until the RTTY work lands: the dialog opens and closes, storing nothing.
bool rttyDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            return true;
        case DialogEvent::Command:
            if (message.controlId == rtty::OkButton || message.controlId == rtty::CancelButton ||
                message.controlId == IdOk) {
                endDialog(dialog, 1);
                return true;
            }
            return false;
        case DialogEvent::Close:
            endDialog(dialog, 0);
            return true;
        case DialogEvent::Timer:
            return false;
    }
    return false;
}
