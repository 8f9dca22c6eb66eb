#include "settings/settings_file.h"

// Placeholders until the settings file work lands.
bool loadSettingsFile(Window) { return false; }
bool saveSettingsFile(Window) { return false; }
