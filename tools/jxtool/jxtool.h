// jxtool's commands, apart from its program entry so tests can run them.
#pragma once

#include <string>
#include <vector>

struct Options {
    std::string device;  // the port as the serial device opens it: "COM3", "\\.\COM12", "/dev/ttyUSB0"
};

// Runs one command line (without the program name); the default port comes
// from the configuration file the programs share.  Returns the exit status.
int runJxtool(const std::vector<std::string>& argv, const std::string& configFile);
