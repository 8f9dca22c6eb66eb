#include "dialogs/about_dialog.h"

#include <cstdio>

#include "platform/system_info.h"
#include "resources/control_ids.h"

std::string versionLine() {
    // The compiler's own stamp of this file's compilation; a release is a clean
    // build, so it is the build's time.  GCC and Clang take it from
    // SOURCE_DATE_EPOCH when set, for reproducible builds.
    char line[64];
    std::snprintf(line, sizeof line, "Ver %s, Built %s, %s", ProgramVersion, __TIME__, __DATE__);
    return line;
}

std::string operatingSystemLine() { return "Operating System is " + std::string(operatingSystemName()); }

std::string helpLine() { return "For Help: " + std::string(operatingGuideLocation()); }

bool aboutDialogProc(Window dialog, const DialogMessage& message) {
    switch (message.event) {
        case DialogEvent::Init:
            setControlText(dialog, about::VersionLine, versionLine());
            setControlText(dialog, about::SystemLine, operatingSystemLine());
            setControlText(dialog, about::HelpLine, helpLine());
            setChecked(dialog, about::VerboseCheck, verboseMode);
            return true;
        case DialogEvent::Command:
            // Only OK (or Enter) stores the switch; a click on the box only changes the box.
            if (message.controlId == about::OkButton && message.notifyCode == notify::Clicked) {
                verboseMode = isChecked(dialog, about::VerboseCheck);
                endDialog(dialog, 1);
                return true;
            }
            return false;  // Esc among them: the dialog stays open
        case DialogEvent::Close:
            endDialog(dialog, 0);
            return true;
        case DialogEvent::Timer:
            return false;
    }
    return false;
}

void resetAboutState() { verboseMode = false; }
