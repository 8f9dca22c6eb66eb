// The message editor: fourteen edits packed into and unpacked from the
// record's Morse-coded message area, its keystroke filter and byte count.
#pragma once

#include "platform/dialog.h"

void showMessageBank(Window mainWindow, int bank);
bool messageKeyFilter(Window dialog, int controlId, unsigned character);
void loadMessages(Window mainWindow);
// Packs the edits into the record.  Text that the area cannot hold (or that
// has no Morse code) is not stored; when that happens the edits are reloaded
// from the record, so the operator sees exactly what the keyer will get.
void storeMessages(Window mainWindow);
int messageBytesUsed(Window mainWindow);
