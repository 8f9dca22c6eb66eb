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
int testInterface(Window window);

// Back to the state at program start (for tests).
void resetInterfaceTestState();
