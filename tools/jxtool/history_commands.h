// jxtool history: the records kept in the record history.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/jxtool/jxtool.h"

inline constexpr std::string_view HistoryHelp =
    "jxtool history [--json]\n"
    "  One line per record kept in the record history, newest first: the entry's\n"
    "  path, then what happened (read, write, before-update, after-update), when\n"
    "  (UTC), the keyer's variant and its firmware, separated by tabs.  --json\n"
    "  prints the same as a JSON array.  Every entry is a settings file: restore\n"
    "  one with jxtool write PATH, or open it with Read Config File.\n";

int commandHistory(const Options& options, const std::vector<std::string>& args);
