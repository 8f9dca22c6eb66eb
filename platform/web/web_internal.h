// The web backend's own calls between its files and its start.
#pragma once

#include <string>

namespace web {

// The configuration file, where the page keeps it: in the browser's storage,
// or for a session on the virtual keyer alone (?keyer=virtual) in memory.
std::string configurationPath();
// Puts the stored configuration where configurationPath() finds it.
void loadStoredConfiguration();

// The result of one of the page's promises, awaited by the calling fiber:
// 0 when it succeeded (or its own small result code), -1 when the wait ran
// out first (the promise still runs).
int awaitPageOperation(int operation, double deadlineMs);

}  // namespace web
