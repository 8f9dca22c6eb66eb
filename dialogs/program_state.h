// Every subsystem's process-wide state back to how the program starts, so a
// test (or an automation run) can begin clean.
#pragma once

void resetProgramState();
