// The about dialog (template 1004) and the verbose switch it holds.
#pragma once

#include "platform/dialog.h"

extern bool verboseMode;

bool aboutDialogProc(Window dialog, const DialogMessage& message);

void resetAboutState();
