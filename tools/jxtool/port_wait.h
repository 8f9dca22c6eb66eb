// jxtool ports --wait: find the adapter's port by plugging it in.
#pragma once

#include <string>
#include <vector>

inline constexpr int DefaultPortWaitSeconds = 60;

// Lists the ports (on standard error), asks for the adapter, and prints the
// entry of the first port that appears in the same list (standard output):
// 0, or 1 when none appeared within `seconds`.  A port unplugged meanwhile
// counts as new when it comes back.
int waitForNewPort(int seconds);
