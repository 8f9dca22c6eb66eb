#include "link/com_port_dialog.h"

#include "resources/control_ids.h"

// Placeholder until port selection lands: the dialog opens and closes, changing nothing.
bool comPortDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            return true;
        case DialogEvent::Command:
            if (message.controlId == comport::OkButton || message.controlId == comport::ExitButton) {
                endDialog(dialog, 0);
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
