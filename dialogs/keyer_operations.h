// Test, Read and Write of the keyer, the operation status line and the main
// window's 250 ms timer tick.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

extern bool operationBusy;
extern std::int32_t statusCountdown;

void testKeyer(Window mainWindow);
void readKeyer(Window mainWindow);
void writeKeyer(Window mainWindow);
void statusTimerTick(Window mainWindow);

void resetKeyerOperationsState();
