// The message editor: fourteen edits packed into and unpacked from the
// record's Morse-coded message area, its keystroke filter and byte count.
#pragma once

#include <array>
#include <string>

#include "platform/dialog.h"
#include "resources/control_ids.h"
#include "settings/keyer_settings.h"

// The edits of the fourteen message slots in slot order: messages 1-6
// (bank 1), messages 7-12 (bank 2), then the callsigns of User 1 and User 2.
inline constexpr std::array<int, 14> MessageSlotEdits{
    mainwin::MessageEdit1,     mainwin::MessageEdit1 + 1, mainwin::MessageEdit1 + 2, mainwin::MessageEdit1 + 3,
    mainwin::MessageEdit1 + 4, mainwin::MessageEdit1 + 5, mainwin::MessageEdit7,     mainwin::MessageEdit7 + 1,
    mainwin::MessageEdit7 + 2, mainwin::MessageEdit7 + 3, mainwin::MessageEdit7 + 4, mainwin::MessageEdit7 + 5,
    mainwin::Callsign1Edit,    mainwin::Callsign2Edit};

void showMessageBank(Window mainWindow, int bank);
bool messageKeyFilter(Window dialog, int controlId, unsigned character);
// The fourteen texts of a record, in slot order.
using MessageTexts = std::array<std::string, 14>;
MessageTexts messageTexts(const KeyerSettings& record);
// Packs fourteen texts into the record's message area; false when anything
// was cut or dropped (past the area's end, or without a Morse code).
bool storeMessageTexts(KeyerSettings& record, const MessageTexts& texts);

void loadMessages(Window mainWindow);
// Packs the edits into the record.  Text that the area cannot hold (or that
// has no Morse code) is not stored; when that happens the edits are reloaded
// from the record, so the operator sees exactly what the keyer will get.
void storeMessages(Window mainWindow);
int messageBytesUsed(Window mainWindow);
