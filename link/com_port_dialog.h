// The "Comm Port Setup" dialog (template 1002).
#pragma once

#include "platform/dialog.h"

bool comPortDialogProc(Window dialog, const DialogMessage& message);
