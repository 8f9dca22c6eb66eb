// Settings files: the 300-byte record saved and loaded whole.
#pragma once

#include "platform/dialog.h"

bool loadSettingsFile(Window mainWindow);
bool saveSettingsFile(Window mainWindow);
