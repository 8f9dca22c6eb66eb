// The link check in front of every exchange with the keyer, and the keyer's
// identity that it records.
#pragma once

#include <cstdint>

#include "platform/dialog.h"

// 1 IBEX, 2 PIKE, 3 TERN, 4 LYNX, 5 bootloader only, 0 not yet identified.
extern std::uint8_t icType;
extern std::uint8_t firmwareMajor;
extern std::uint8_t firmwareMinor;

// -1 on failure, 5 when only the bootloader answers, otherwise firmwareMajor.
// Its texts go to controls 4061 and 4079 of the window, where it has them.
int testInterface(Window window);

// What the link check shows for a failed openPort code.
const char* portOpenFailureText(int code);

// Back to the state at program start (for tests).
void resetInterfaceTestState();
