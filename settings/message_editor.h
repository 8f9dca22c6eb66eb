// The message editor: fourteen edits packed into and unpacked from the
// record's Morse-coded message area, its keystroke filter and byte count.
#pragma once

#include "platform/dialog.h"

void showMessageBank(Window mainWindow, int bank);
bool messageKeyFilter(Window dialog, int controlId, unsigned character);
void loadMessages(Window mainWindow);
void storeMessages(Window mainWindow);
int messageBytesUsed(Window mainWindow);
