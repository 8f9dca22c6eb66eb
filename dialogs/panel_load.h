// Shows one user set of the settings record in the main window's panel.
#pragma once

#include "core/settings/keyer_settings.h"
#include "platform/dialog.h"

void loadPanel(Window mainWindow, UserSet set);
