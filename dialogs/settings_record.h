// The window's record: the one settings record the main window shows and
// edits, and which user set its panel is on.  It lives for the whole run.
#pragma once

#include "core/settings/keyer_settings.h"

extern KeyerSettings keyerSettings;
extern UserSet activeUserSet;

// One user set of keyerSettings and its extension block.
UserSettings& userSettings(UserSet set);
UserExtension& userExtension(UserSet set);

// Back to the state at program start: every byte 0, User 1 on show.
void resetSettingsState();
