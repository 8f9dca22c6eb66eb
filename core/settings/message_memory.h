// The fourteen messages of a record as texts: unpacked from and packed into
// its Morse-coded message area.
#pragma once

#include <array>
#include <string>

#include "core/settings/keyer_settings.h"

// Slot order: messages 1-12, then the callsigns of User 1 and User 2.
using MessageTexts = std::array<std::string, MessageSlotCount>;

MessageTexts messageTexts(const KeyerSettings& record);
// Packs fourteen texts into the record's message area; false when anything
// was cut or dropped (past the area's end, or without a Morse code).
bool storeMessageTexts(KeyerSettings& record, const MessageTexts& texts);
