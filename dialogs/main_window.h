// The main window (template 1001): initialisation, command dispatch and the
// rules by which its buttons are enabled.
#pragma once

#include <span>

#include "platform/dialog.h"

// Kept at initialisation for the parts that reach the main window's controls
// from elsewhere (the message filter, the settings file status line).
extern Window mainWindowHandle;

bool mainWindowProc(Window dialog, const DialogMessage& message);

void disableUntilTested(Window dialog);
void lockControls(Window dialog);
void unlockControls(Window dialog);

// The control IDs that the main window dispatches (for tests and tools).
using CommandHandler = void (*)(Window dialog, const DialogMessage& message);
CommandHandler findCommandHandler(int controlId);
