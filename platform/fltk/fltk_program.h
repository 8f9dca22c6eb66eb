// The Linux desktop program from its command line to its end: apart from
// main, so that a test runs the very same start-up.
#pragma once

#include <string_view>
#include <vector>

// --help and --version are answered before any display is opened; --trace
// FILE makes the window's keyer link write what it does on the wire into
// FILE.  Returns the exit status.
int runKeyerTools(const std::vector<std::string_view>& args);
