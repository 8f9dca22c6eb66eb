// Shows one user set of the settings record in the main window's panel.
#pragma once

#include "platform/dialog.h"
#include "settings/keyer_settings.h"

void loadPanel(Window mainWindow, UserSet set);
