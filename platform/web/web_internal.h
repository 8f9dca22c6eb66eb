// The web backend's own calls between its files and its start.
#pragma once

#include <cstdlib>
#include <string>

namespace web {

// Puts the files kept in the browser's storage (the configuration, the
// record history) where configFileLocation() and historyFolder() find them.
void loadStoredConfiguration();

// A string the page's script allocated for us (null: none), freed once copied.
inline std::string takeString(char* text) {
    std::string copy = text ? text : "";
    std::free(text);
    return copy;
}

// The result of one of the page's promises, awaited by the calling fiber:
// 0 when it succeeded (or its own small result code), -1 when the wait ran
// out first (the promise still runs).
int awaitPageOperation(int operation, double deadlineMs);

}  // namespace web
