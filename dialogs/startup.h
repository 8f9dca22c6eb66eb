// Program start: where the configuration file is, reading it, the main
// window's class, and the main window itself.
#pragma once

#include <cstdint>
#include <string>

// The number n of the serial port COMn.
extern std::int32_t comPortNumber;
// Where the configuration file lives; empty when no path could be formed.
extern std::string configPath;

// Sets comPortNumber from the file; a missing file gives port 1 and is
// created.  False after a read error has been shown.
bool readConfigFile();
// Stores comPortNumber, 4 bytes little-endian.  False after a write error has
// been shown; a file that cannot be created is passed over in silence.
bool writeConfigFile();

// The whole program: returns its exit code.
int runProgram();

// Back to the state at program start (for tests).
void resetStartupState();
