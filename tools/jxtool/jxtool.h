// jxtool's commands, apart from its program entry so tests can run them.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct WireTrace;

struct Options {
    std::string device;  // the port as the serial device opens it: "COM3", "\\.\COM12", "/dev/ttyUSB0"
    WireTrace* trace = nullptr;  // --trace: where every link the command makes writes what it does
};

// Runs one command line (without the program name).  The default port comes
// from the configuration file the programs share; configFileLocator gives its
// path and is called only by a command that talks to the keyer without
// --port, so the commands on files alone never touch it.  Returns the exit
// status.
int runJxtool(const std::vector<std::string>& argv, const std::function<std::string()>& configFileLocator);
