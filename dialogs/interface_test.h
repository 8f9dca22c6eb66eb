// The link check as the main window shows it: its progress and outcome on
// the interface status line 4061, the keyer's IC on 4079.
#pragma once

#include <string_view>

#include "platform/dialog.h"

// Shown on the interface status line while the check runs.
inline constexpr std::string_view LinkCheckProgressText = "Testing JX Interface    ";

enum class LinkStart {
    AsItIs,  // an open link is used as it is
    Fresh,   // an open link is closed first: every operation starts from a new connection
};

// The link check of keyerLink on COM comPortNumber, with its texts on
// controls 4061 and 4079 of the window given; records the keyer's identity
// and returns the check's code.
int testInterface(Window window, LinkStart start = LinkStart::AsItIs);
