// The "Comm Port Setup" dialog (template 1002): lists the ports that exist
// (core/link/port_listing.h), and on OK records the chosen one's stable name where
// it has one, makes it the program's port and stores that in the
// configuration file.
#pragma once

#include <string>

#include "core/link/port_listing.h"
#include "platform/dialog.h"

bool comPortDialogProc(Window dialog, const DialogMessage& message);
