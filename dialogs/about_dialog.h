// The about dialog (template 1004): version and build stamp, the operating
// system, where to find help, and the verbose switch it holds.
#pragma once

#include <string>

#include "dialogs/uploader_dialog.h"  // verboseMode, which this dialog sets
#include "platform/dialog.h"
#include "resources/keyer_version.h"

// "Ver 5.0, Built hh:mm:ss, Mmm dd yyyy": the build's own time and date.
std::string versionLine();
// "Operating System is " and the system the program was built for.
std::string operatingSystemLine();
// "For Help: " and where this build puts the operating guide.
std::string helpLine();

// Ends with 1 after OK (or Enter), 0 after the close box.
bool aboutDialogProc(Window dialog, const DialogMessage& message);

void resetAboutState();
