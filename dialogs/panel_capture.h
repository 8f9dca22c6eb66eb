// Reads the panel's number fields back into the record with validation, the
// immediate updates of check boxes, lists and bank radio buttons, and the
// User 1 / User 2 switch.
#pragma once

#include "core/settings/keyer_settings.h"
#include "platform/dialog.h"

// True when every field passed and was stored; false after the first failing
// field's message has been shown (earlier fields stay stored).
bool capturePanel(Window mainWindow, UserSet set);

// What the "User 1" and "User 2" radio buttons do, inside the main window's
// lock of its controls.
void selectUserSet(Window mainWindow, UserSet target);

// Check boxes 4014-4024 and 4101, lists 4049, 4053, 4054 (selection changes
// only), and the bank radio buttons 4007 and 4008.
void applyImmediateUpdate(Window mainWindow, int controlId, int notifyCode);

