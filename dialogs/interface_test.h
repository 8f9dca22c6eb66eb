// The link check as the main window shows it: its progress and outcome on
// the interface status line 4061, the keyer's IC on 4079.
#pragma once

#include <string_view>

#include "platform/dialog.h"

// Shown on the interface status line while the check runs.
inline constexpr std::string_view LinkCheckProgressText = "Testing JX Interface    ";

// The link check on comPortNumber with its texts on controls 4061 and 4079
// of the window given (a window without them shows nothing); returns the
// check's code.
int testInterface(Window window);
