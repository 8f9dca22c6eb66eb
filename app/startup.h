// Program start: where the configuration file is, reading it, the main
// window's class, and the main window itself.
#pragma once

#include "link/port_config.h"

// The whole program: returns its exit code.
int runProgram();

// Back to the state at program start (for tests).
void resetStartupState();
