// The "RTTY Mode Setup" dialog (template 1005).
#pragma once

#include "platform/dialog.h"

bool rttyDialogProc(Window dialog, const DialogMessage& message);
