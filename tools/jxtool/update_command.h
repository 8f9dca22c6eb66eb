// jxtool update: a firmware update that keeps the keyer's settings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/jxtool/jxtool.h"

inline constexpr std::string_view UpdateHelp =
    "jxtool [--port N|DEVICE] update FIRMWARE.hex [--recovery] [--settings FILE.eep]\n"
    "  A firmware update that keeps the settings, in six steps, each printed with\n"
    "  its outcome: 1 load the file and run flash's checks; 2 read the keyer's\n"
    "  record and keep it in the record history as before-update (a Read cut short\n"
    "  stops here, before anything goes to the bootloader); 3 program the image as\n"
    "  flash does; 4 wait (up to 10 s) for the keyer to answer with the image's\n"
    "  variant and version; 5 read the record (kept as after-update) and, when the\n"
    "  update changed it, write the kept one back and verify it; 6 a summary.  When\n"
    "  anything fails once programming has started, the last lines say where the\n"
    "  kept record is and the command that restores it.  A keyer with only its\n"
    "  bootloader is programmed only with --recovery; there is nothing to read\n"
    "  from it, so the settings restored are those of --settings FILE.eep, if\n"
    "  given.  Exit status 0 only when every step passed.\n";

int commandUpdate(const Options& options, const std::vector<std::string>& args);
