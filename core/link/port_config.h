// The configuration file that remembers the COM port between runs: where it
// is, and its four bytes read and written by path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

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

// Replaces the file with `port`, 4 bytes little-endian.
FileWriteStatus writeConfiguredPort(std::string_view path, std::int32_t port);
