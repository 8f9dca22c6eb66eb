// Shared between the headless backend's own files.
#pragma once

#include <string>

namespace headless_internal {
void resetDialogs();
void resetFiles();
void resetThreads();
void resetPortProbes();
void advanceClockWithoutTimers(int milliseconds);
bool onDialogThread();
std::string withDefaultExtension(const std::string& path, const std::string& extension);
}  // namespace headless_internal
