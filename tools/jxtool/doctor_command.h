// jxtool doctor: every check of the keyer's port, one line each.
#pragma once

#include <string>
#include <vector>

#include "tools/jxtool/jxtool.h"

inline constexpr const char* DoctorHelp =
    "jxtool [--port N|DEVICE] doctor\n"
    "  Checks the port one line at a time, each ok, warn or fail with what to do:\n"
    "  it exists; you may open it (your groups, in this login too); no other program\n"
    "  has it open; on Linux whether ModemManager runs, whether brltty's rules take\n"
    "  CH340/CH341 adapters such as this one, and the adapter's latency; last, whether\n"
    "  the keyer answers.  Nothing of the system is changed.  Exit status 1 when a\n"
    "  check failed.\n";

int commandDoctor(const Options& options, const std::vector<std::string>& args);
