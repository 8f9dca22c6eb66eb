// The firmware uploader dialog (template 1003).
#pragma once

#include "platform/dialog.h"

bool uploaderDialogProc(Window dialog, const DialogMessage& message);
