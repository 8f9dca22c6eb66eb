// Shared between the headless backend's own files.
#pragma once

#include <string>

namespace headless_internal {
void resetDialogs();
void resetFiles();
void resetThreads();
void resetPortProbes();  // called by resetSerialPorts
void resetPortDiagnosis();  // likewise
void advanceClockWithoutTimers(int milliseconds);
bool onDialogThread();
// Set by the serial ports (platform_headless_serial) when they are linked in;
// reset() calls it.
extern void (*resetSerialPorts)();
}  // namespace headless_internal
