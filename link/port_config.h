// The configuration file that remembers the COM port between runs, and the
// port number itself: the link opens that port, the port dialog changes it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

// The number n of the serial port COMn.
extern std::int32_t comPortNumber;
// Where the configuration file lives; empty when no path could be formed.
extern std::string configPath;

// The configuration file's path for a program at programFile: the first
// lower-case "exe" becomes "cfg" and the path ends there.  A path without
// one gets its file extension (any case) replaced by ".cfg", or ".cfg"
// appended when it has none.
std::string makeConfigPath(std::string_view programFile);

// The port a configuration file names, read without changing anything: a
// short file replaces only the low-order bytes of `current` it holds; a file
// that cannot be opened gives port 1 (what the program starts with).
struct ConfiguredPort {
    FileReadStatus status;
    std::int32_t port;
};
ConfiguredPort readConfiguredPort(std::string_view path, std::int32_t current);

// Sets comPortNumber from the file; a missing file gives port 1 and is
// created.  False after a read error has been shown.
bool readConfigFile();
// Stores comPortNumber, 4 bytes little-endian.  False after a write error has
// been shown; a file that cannot be created is passed over in silence.
bool writeConfigFile();

// Back to the state at program start (for tests).
void resetPortConfigState();
