#include "app/about_dialog.h"

#include "resources/control_ids.h"

bool verboseMode = false;

// Placeholder until the about dialog lands: it opens and closes.
bool aboutDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            return true;
        case DialogEvent::Command:
            if (message.controlId == about::OkButton) {
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

void resetAboutState() { verboseMode = false; }
