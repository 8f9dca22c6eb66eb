#include "firmware/uploader_dialog.h"

#include "resources/control_ids.h"

// Placeholder until the firmware update lands: the dialog opens and closes.
bool uploaderDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            return true;
        case DialogEvent::Command:
            if (message.controlId == uploader::ExitButton) {
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
